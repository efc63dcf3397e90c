// The report page's script: builds the header, the timeline, the list and the details from the
// data element. Every text of the data reaches the document through textContent, title or a
// link's href (always one the program built) and never as markup.
"use strict";
(function () {
    const data = JSON.parse(document.getElementById("report-data").textContent);
    const T = data.texts;
    const machines = data.machines;
    const entries = data.entries;
    const several = machines.length > 1;
    const DAY_MS = 86400000;
    const CHART_HEIGHT = 140;
    const MAX_DAYS = 10 * 366;  // the weekly chart's reach
    const DAILY_UP_TO = 92;     // an "all" view this short has a bar per day

    function el(tag, className, text) {
        const node = document.createElement(tag);
        if (className) node.className = className;
        if (text !== undefined && text !== null) node.textContent = text;
        return node;
    }
    function fill(template, value) {
        return template.replace("%s", String(value));
    }
    // An interval value of the data: a text, null, or the index of the interval with the same text.
    function intervalValue(values, interval) {
        const v = values[interval - 1];
        return typeof v === "number" ? values[v] : v;
    }
    function isoDay(day) {
        return new Date(day * DAY_MS).toISOString().slice(0, 10);
    }
    function windowsText(text) {
        return text.replace(/\r\n/g, "\n");
    }

    const state = {
        interval: 1,
        machine: -1,       // -1: every machine
        range: "30",       // "30", "180" or "all"
        perMachine: false,
        search: "",
        dayFrom: null,     // the chosen bar's first and last day, or null
        dayTo: null,
        dayMachine: -1,
        sortKey: null,     // null: the window's order
        sortUp: true,
        selected: -1,      // index into entries
    };
    state.interval = machines.length ? machines[0].first : 1;
    // The timeline opens on the list's interval.
    state.range = state.interval === 4 ? "all" : state.interval === 3 ? "180" : "30";

    document.title = T.title + " \u2014 " + machines.map((m) => m.name).join(", ");

    // --- header ---
    function buildHeader() {
        const header = el("header");
        header.appendChild(el("h1", null, document.title));
        for (const m of machines) {
            const box = el("div", "machine-head");
            box.appendChild(el("h3", null, m.name));
            const newest = lastDayOf[machines.indexOf(m)];
            if (newest !== null && newest < m.today - 29) {
                const note = el("p", "up-to", T.upTo.replace("%s", isoDay(newest))
                    .replace("%s", isoDay(m.today)));
                box.appendChild(note);
            }
            const facts = el("table", "facts");
            const rows = [[T.scanTime, m.scanTime]].concat(m.facts);
            const counts = [1, 2, 3, 4].map((i) => T["interval" + i] + ": " + m.rows[i - 1]);
            rows.push([T.intervalCounts, counts.join(" \u00b7 ")]);
            for (const [label, value] of rows) {
                const tr = el("tr");
                tr.appendChild(el("td", null, label));
                tr.appendChild(el("td", null, value));
                facts.appendChild(tr);
            }
            box.appendChild(facts);
            header.appendChild(box);
        }
        return header;
    }

    // --- timeline ---
    // Occurrences per day and category, per machine; each entry's days are [day, count] pairs.
    const perDay = machines.map(() => new Map());
    const firstDayOf = machines.map(() => null);
    const lastDayOf = machines.map(() => null);
    for (const e of entries) {
        const days = perDay[e.m];
        for (const [d, n] of e.dy) {
            let counts = days.get(d);
            if (!counts) days.set(d, (counts = [0, 0, 0, 0]));
            counts[e.c - 1] += n;
            if (firstDayOf[e.m] === null || d < firstDayOf[e.m]) firstDayOf[e.m] = d;
            if (lastDayOf[e.m] === null || d > lastDayOf[e.m]) lastDayOf[e.m] = d;
        }
    }
    const today = machines.length ? Math.max(...machines.map((m) => m.today)) : 0;

    // The errors' first and last day over some machines; null when they have none.
    function dataSpan(machineIndexes) {
        const firsts = machineIndexes.map((i) => firstDayOf[i]).filter((d) => d !== null);
        const lasts = machineIndexes.map((i) => lastDayOf[i]).filter((d) => d !== null);
        return firsts.length ? [Math.min(...firsts), Math.max(...lasts)] : null;
    }

    // The bars of the chosen range: [first day, last day] each. A view ends today, or where the
    // data ends when its newest error is older than the view; "all" spans the first to the last
    // error.
    function buckets(machineIndexes) {
        const out = [];
        const span = dataSpan(machineIndexes);
        if (state.range === "all") {
            const last = span ? Math.min(span[1], today) : today;
            // A stray time decades back (a wrong clock) must not make thousands of bars.
            const first = Math.min(last, Math.max(span ? span[0] : last, last - MAX_DAYS));
            if (last - first < DAILY_UP_TO) {
                for (let d = first; d <= last; ++d) out.push([d, d]);
            } else {
                const monday = (d) => d - ((d + 3) % 7);  // 1970-01-01 was a Thursday
                for (let d = monday(first); d <= last; d += 7) out.push([d, Math.min(d + 6, last)]);
            }
        } else {
            const days = state.range === "30" ? 30 : 183;
            const end = span && span[1] < today - days + 1 ? span[1] : today;
            for (let d = end - days + 1; d <= end; ++d) out.push([d, d]);
        }
        return out;
    }

    function bucketCounts(machineIndexes, from, to) {
        const sum = [0, 0, 0, 0];
        for (const mi of machineIndexes) {
            const days = perDay[mi];
            for (let d = from; d <= to; ++d) {
                const c = days.get(d);
                if (c) for (let k = 0; k < 4; ++k) sum[k] += c[k];
            }
        }
        return sum;
    }

    function barLabel(from, to, counts) {
        const when = from === to ? T.day + " " + isoDay(from) : T.weekOf + " " + isoDay(from);
        const total = counts[0] + counts[1] + counts[2] + counts[3];
        const parts = [1, 2, 3, 4].map((k) => T["cat" + k] + " " + counts[k - 1]);
        return when + ": " + T.total + " " + total + " (" + parts.join(", ") + ")";
    }

    function buildChart(machineIndexes, machineFilter, info) {
        const list = buckets(machineIndexes);
        const counts = list.map(([from, to]) => bucketCounts(machineIndexes, from, to));
        const max = Math.max(1, ...counts.map((c) => c[0] + c[1] + c[2] + c[3]));
        const chart = el("div", "chart");
        chart.style.height = CHART_HEIGHT + "px";
        chart.dataset.max = String(max);
        chart.dataset.height = String(CHART_HEIGHT);
        list.forEach(([from, to], i) => {
            const c = counts[i];
            const bar = el("div", "bar");
            bar.dataset.from = String(from);
            bar.dataset.to = String(to);
            bar.dataset.counts = c.join(",");
            bar.title = barLabel(from, to, c);
            if (state.dayFrom === from && state.dayTo === to && state.dayMachine === machineFilter)
                bar.classList.add("chosen");
            for (let k = 0; k < 4; ++k) {
                if (!c[k]) continue;
                const seg = el("div", "seg c" + (k + 1));
                seg.dataset.n = String(c[k]);
                seg.style.height = (c[k] * CHART_HEIGHT) / max + "px";
                bar.appendChild(seg);
            }
            bar.addEventListener("mouseenter", () => { info.textContent = bar.title; });
            bar.addEventListener("click", () => chooseDays(from, to, machineFilter));
            chart.appendChild(bar);
        });
        const block = el("div", "chart-block");
        const axis = el("div", "axis");
        axis.appendChild(el("span", null, isoDay(list[0][0])));
        axis.appendChild(el("span", null, "max " + max));
        axis.appendChild(el("span", null, isoDay(list[list.length - 1][1])));
        block.appendChild(chart);
        block.appendChild(axis);
        return block;
    }

    const timeline = el("section");
    timeline.id = "timeline";
    function renderTimeline() {
        timeline.textContent = "";
        timeline.appendChild(el("h2", null, T.timeline));
        const controls = el("div", "controls");
        const rangeButtons = el("span", "bar-buttons");
        for (const [range, label] of [["30", T.days30], ["180", T.months6], ["all", T.allRange]]) {
            const b = el("button", null, label);
            b.dataset.range = range;
            b.setAttribute("aria-pressed", String(state.range === range));
            b.addEventListener("click", () => { state.range = range; renderTimeline(); });
            rangeButtons.appendChild(b);
        }
        controls.appendChild(rangeButtons);
        if (several) {
            const label = el("label");
            const box = el("input");
            box.type = "checkbox";
            box.id = "per-machine";
            box.checked = state.perMachine;
            box.addEventListener("change", () => { state.perMachine = box.checked; renderTimeline(); });
            label.appendChild(box);
            label.appendChild(document.createTextNode(" " + T.perMachine));
            controls.appendChild(label);
        }
        const legend = el("span", "legend");
        for (let k = 1; k <= 4; ++k) {
            const item = el("span");
            item.appendChild(el("i", "c" + k));
            item.appendChild(document.createTextNode(T["cat" + k]));
            legend.appendChild(item);
        }
        controls.appendChild(legend);
        timeline.appendChild(controls);
        const info = el("div", "bar-info");
        const all = machines.map((m, i) => i);
        if (several && state.perMachine) {
            machines.forEach((m, i) => {
                const block = buildChart([i], i, info);
                block.dataset.machine = String(i);
                block.insertBefore(el("h3", null, m.name), block.firstChild);
                timeline.appendChild(block);
            });
        } else {
            const block = buildChart(state.machine < 0 ? all : [state.machine], state.machine, info);
            block.dataset.machine = "all";
            timeline.appendChild(block);
        }
        timeline.appendChild(info);
    }

    function chooseDays(from, to, machineFilter) {
        state.dayFrom = from;
        state.dayTo = to;
        state.dayMachine = machineFilter;
        state.machine = machineFilter;
        state.interval = 4;  // every listed error may have occurred on that day
        renderTimeline();
        refreshList();
    }

    // --- list ---
    const columns = [];
    if (several) columns.push({ key: "machine", title: T.machine, width: "minmax(80px,1fr)" });
    columns.push(
        { key: "app", title: T.colApp, width: "minmax(140px,2fr)" },
        { key: "name", title: T.colName, width: "minmax(120px,1.6fr)" },
        { key: "count", title: T.colCount, width: "90px" },
        { key: "age", title: T.colAge, width: "120px" },
        { key: "path", title: T.colPath, width: "minmax(160px,3fr)" });
    const collator = new Intl.Collator(data.lang, { sensitivity: "base", numeric: true });
    let haystacks = null;  // lower-case search texts, made at the first search

    // The occurrences of the chosen days.
    function dayCount(e) {
        let n = 0;
        for (const [d, c] of e.dy) if (d >= state.dayFrom && d <= state.dayTo) n += c;
        return n;
    }
    // The count column: the interval's count, or the chosen days' count.
    function shownCount(e) {
        return state.dayFrom === null ? e.k[state.interval - 1] : dayCount(e);
    }

    function listed(e) {
        if (state.machine >= 0 && e.m !== state.machine) return false;
        if (intervalValue(e.tt, state.interval) == null) return false;
        if (state.dayFrom !== null && dayCount(e) === 0) return false;
        return true;
    }

    function compare(a, b) {
        const ea = entries[a], eb = entries[b];
        let r = 0;
        switch (state.sortKey) {
            case "machine": r = collator.compare(machines[ea.m].name, machines[eb.m].name); break;
            case "app": r = collator.compare(ea.a, eb.a); break;
            case "name": r = collator.compare(ea.n, eb.n); break;
            case "path": r = collator.compare(ea.p, eb.p); break;
            case "count": r = shownCount(ea) - shownCount(eb); break;
            case "age": r = eb.t - ea.t; break;
        }
        if (!state.sortUp) r = -r;
        return r || a - b;
    }

    let shown = [];  // entry indexes in display order
    const section = el("section");
    section.id = "list";
    const controls = el("div", "controls");
    const intervalButtons = el("span", "intervals");
    for (let i = 1; i <= 4; ++i) {
        const b = el("button", null, T["interval" + i]);
        b.dataset.interval = String(i);
        b.addEventListener("click", () => {
            state.interval = i;
            clearDays();
            refreshList();
        });
        intervalButtons.appendChild(b);
    }
    controls.appendChild(intervalButtons);
    let machineSelect = null;
    if (several) {
        machineSelect = el("select");
        machineSelect.id = "machine-filter";
        const any = el("option", null, T.allMachines);
        any.value = "-1";
        machineSelect.appendChild(any);
        machines.forEach((m, i) => {
            const o = el("option", null, m.name);
            o.value = String(i);
            machineSelect.appendChild(o);
        });
        machineSelect.addEventListener("change", () => {
            state.machine = Number(machineSelect.value);
            clearDays();
            renderTimeline();
            refreshList();
        });
        controls.appendChild(machineSelect);
    }
    const search = el("input");
    search.type = "search";
    search.id = "search";
    search.placeholder = T.search;
    search.setAttribute("aria-label", T.search);
    search.addEventListener("input", () => { state.search = search.value.toLowerCase(); refreshList(); });
    controls.appendChild(search);
    const chip = el("span", "chip");
    chip.id = "day-filter";
    const chipText = el("span");
    const chipClear = el("button", null, "\u2715");
    chipClear.title = T.showAllDays;
    chipClear.addEventListener("click", () => { clearDays(); renderTimeline(); refreshList(); });
    chip.appendChild(chipText);
    chip.appendChild(chipClear);
    controls.appendChild(chip);
    section.appendChild(controls);

    const gridColumns = columns.map((c) => c.width).join(" ");
    const head = el("div", "grid-head");
    head.style.setProperty("--columns", gridColumns);
    for (const c of columns) {
        const cell = el("div", null, c.title);
        cell.dataset.key = c.key;
        cell.addEventListener("click", () => {
            if (state.sortKey === c.key) state.sortUp = !state.sortUp;
            else { state.sortKey = c.key; state.sortUp = true; }
            refreshList();
        });
        head.appendChild(cell);
    }
    section.appendChild(head);
    const scroller = el("div", "scroller");
    scroller.id = "rows";
    scroller.tabIndex = 0;
    const spacer = el("div", "spacer");
    scroller.appendChild(spacer);
    section.appendChild(scroller);
    const status = el("div", "status");
    status.id = "status";
    section.appendChild(status);

    function clearDays() {
        state.dayFrom = state.dayTo = null;
        state.dayMachine = -1;
    }

    function refreshList() {
        let pick = entries.map((e, i) => i).filter((i) => listed(entries[i]));
        if (state.search) {
            if (!haystacks) {
                haystacks = entries.map((e) =>
                    [e.a, e.n, e.p, e.s, e.d || ""].join("\n").toLowerCase());
            }
            pick = pick.filter((i) => haystacks[i].includes(state.search));
        }
        if (state.sortKey) pick.sort(compare);
        shown = pick;
        for (const b of intervalButtons.children)
            b.setAttribute("aria-pressed", String(Number(b.dataset.interval) === state.interval));
        for (const cell of head.children) {
            const on = cell.dataset.key === state.sortKey;
            cell.setAttribute("aria-sort", on ? (state.sortUp ? "ascending" : "descending") : "none");
            cell.textContent = columns.find((c) => c.key === cell.dataset.key).title +
                (on ? (state.sortUp ? " \u25b2" : " \u25bc") : "");
        }
        if (machineSelect) machineSelect.value = String(state.machine);
        chip.hidden = state.dayFrom === null;
        if (state.dayFrom !== null) {
            chipText.textContent = state.dayFrom === state.dayTo
                ? T.day + " " + isoDay(state.dayFrom) : T.weekOf + " " + isoDay(state.dayFrom);
        }
        const m = state.machine >= 0 ? machines[state.machine] : (several ? null : machines[0]);
        const plain = m && state.dayFrom === null && !state.search;
        status.textContent = shown.length === 0 ? T.noErrors
            : plain ? m.status[state.interval - 1] : fill(T.rowsShown, shown.length);
        spacer.style.height = shown.length * rowHeight + "px";
        scroller.scrollTop = 0;
        renderRows();
    }

    const rowHeight = 22;
    function renderRows() {
        const first = Math.max(0, Math.floor(scroller.scrollTop / rowHeight) - 8);
        const last = Math.min(shown.length, first + Math.ceil(scroller.clientHeight / rowHeight) + 16);
        spacer.textContent = "";
        for (let pos = first; pos < last; ++pos) spacer.appendChild(makeRow(pos));
    }

    function makeRow(pos) {
        const index = shown[pos];
        const e = entries[index];
        const row = el("div", "row");
        row.style.setProperty("--columns", gridColumns);
        row.style.top = pos * rowHeight + "px";
        row.dataset.entry = String(index);
        row.dataset.pos = String(pos);
        if (index === state.selected) row.classList.add("selected");
        if (several) row.appendChild(el("span", "machine", machines[e.m].name));
        const app = el("span", "app");
        app.appendChild(el("i", "icon k" + e.c));
        app.appendChild(document.createTextNode(e.a));
        app.title = e.a;
        row.appendChild(app);
        const name = el("span", "name", e.n);
        name.title = e.n;
        row.appendChild(name);
        const tip = windowsText(intervalValue(e.tt, state.interval) || "");
        const count = el("span", "num count", String(shownCount(e)));
        count.title = tip;
        row.appendChild(count);
        const age = el("span", "age", e.g);
        age.title = tip;
        row.appendChild(age);
        const path = el("span", "path", e.p);
        path.title = e.p;
        row.appendChild(path);
        row.addEventListener("click", () => select(index));
        return row;
    }

    let pending = false;
    scroller.addEventListener("scroll", () => {
        if (pending) return;
        pending = true;
        requestAnimationFrame(() => { pending = false; renderRows(); });
    });
    scroller.addEventListener("keydown", (event) => {
        if (event.key !== "ArrowDown" && event.key !== "ArrowUp") return;
        event.preventDefault();
        const pos = shown.indexOf(state.selected);
        const next = Math.min(shown.length - 1, Math.max(0, pos + (event.key === "ArrowDown" ? 1 : -1)));
        if (next < 0) return;
        select(shown[next]);
        const top = next * rowHeight;
        if (top < scroller.scrollTop) scroller.scrollTop = top;
        else if (top + rowHeight > scroller.scrollTop + scroller.clientHeight)
            scroller.scrollTop = top + rowHeight - scroller.clientHeight;
    });

    // --- details ---
    const details = el("section");
    details.id = "details";
    function select(index) {
        state.selected = index;
        for (const row of spacer.children)
            row.classList.toggle("selected", Number(row.dataset.entry) === index);
        renderDetails();
    }

    function renderDetails() {
        details.textContent = "";
        const e = entries[state.selected];
        if (!e) {
            details.appendChild(el("p", "summary", T.selectError));
            return;
        }
        const title = el("h2");
        title.appendChild(el("i", "icon k" + e.c));
        title.appendChild(document.createTextNode(e.a + " \u2014 " + e.n));
        details.appendChild(title);
        details.appendChild(el("p", "summary", windowsText(e.s)));
        const links = el("p", "links");
        const pre = el("pre", "detail");
        pre.hidden = true;
        if (e.d !== null) {
            const more = el("a", "detail-link", T.detailLink);
            more.href = "#";
            more.addEventListener("click", (event) => {
                event.preventDefault();
                pre.hidden = !pre.hidden;
            });
            links.appendChild(more);
            pre.textContent = windowsText(e.d);
        }
        const url = intervalValue(e.l, state.interval) || intervalValue(e.l, 4);
        if (url && url.startsWith("http://")) {
            const lookup = el("a", "lookup", T.lookup);
            lookup.href = url;
            lookup.target = "_blank";
            lookup.rel = "noopener noreferrer";
            links.appendChild(lookup);
        }
        details.appendChild(links);
        details.appendChild(pre);
        if (e.x) details.appendChild(dumpBlock(e.x));
        if (e.b) details.appendChild(stopBlock(e.b));
    }

    // Label and value rows; a row without a value is left out.
    function factRows(rows) {
        const table = el("table", "crash-facts");
        for (const [label, value] of rows) {
            if (!value) continue;
            const tr = el("tr");
            tr.appendChild(el("td", null, label));
            tr.appendChild(el("td", null, value));
            table.appendChild(tr);
        }
        return table;
    }
    function withName(code, name) {
        return code && name ? code + " " + name : code;
    }
    // A joined dump: what it says of the crash, the frames one per line, and the process's
    // modules behind their link.
    function dumpBlock(x) {
        const box = el("div", "crash dump");
        box.appendChild(el("h3", null, T.crashDump));
        const rows = [[T.dumpFile, x.f], [T.exception, withName(x.e, x.en)],
                      [T.faultAt, x.fm], [T.agreement, T["agree" + x.ag]]];
        if (x.ag === 1) rows.push([T.recordSays, x.rf], [T.dumpSays, x.fm]);
        rows.push([T.signature, x.sg && x.sg + " (" + x.sh + ")"]);
        box.appendChild(factRows(rows));
        if (x.fr.length) {
            box.appendChild(el("h4", null, T.frames));
            box.appendChild(el("pre", "frames", x.fr.map(([place, how]) =>
                place + "  (" + T["how" + how] + ")").join("\n")));
        }
        if (x.md.length) {
            const list = el("table", "modules");
            list.hidden = true;
            const head = el("tr");
            for (const title of [T.moduleName, T.moduleVersion, T.pdbName, T.pdbId])
                head.appendChild(el("th", null, title));
            list.appendChild(head);
            for (const module of x.md) {
                const tr = el("tr");
                for (const value of module) tr.appendChild(el("td", null, value));
                list.appendChild(tr);
            }
            const more = el("a", "modules-link", fill(T.modules, x.md.length));
            more.href = "#";
            more.addEventListener("click", (event) => {
                event.preventDefault();
                list.hidden = !list.hidden;
            });
            const links = el("p", "links");
            links.appendChild(more);
            box.appendChild(links);
            box.appendChild(list);
        }
        return box;
    }
    // A blue screen: its bug check, parameters, the driver a parameter points into, its dump.
    function stopBlock(b) {
        const box = el("div", "crash stop");
        box.appendChild(el("h3", null, T.stopError));
        box.appendChild(factRows([[T.bugCheck, b.n ? b.n + " (" + b.c + ")" : b.c],
                                  [T.parameters, b.p.join(" ")], [T.driver, b.dr],
                                  [T.kernelDump, b.f]]));
        return box;
    }

    document.body.appendChild(buildHeader());
    document.body.appendChild(timeline);
    document.body.appendChild(section);
    document.body.appendChild(details);
    renderTimeline();
    refreshList();
    renderDetails();
    document.body.dataset.ready = "1";
    performance.mark("veltrano-ready");
})();
