// The page model from the catalogues, through the same functions the window fills its list with.
#include "report/html/page_model.h"

#include <map>

#include "engine/error_rows.h"
#include "engine/occurrence_days.h"
#include "export/lookup_query.h"
#include "report/html/record_words.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

// The entries of one machine, in the window's order, with what every interval shows of them.
class MachineEntries {
  public:
    MachineEntries(const ReportPage& page, const ReportMachine& machine, int index)
        : page_(page), machine_(machine), index_(index) {}

    void AddTo(PageModel& model) {
        const ErrorCatalogue& catalogue = *machine_.catalogue;
        Clock& clock = *machine_.clock;
        if (machine_.environment != nullptr)
            BuildPathVariables(*machine_.environment);
        const IntervalCounts counts = CountIntervals(catalogue);
        LookupContext context;
        context.fileVersion = page_.fileVersion;
        context.weekCount = counts.week;
        context.monthCount = counts.month;

        PageMachine& pageMachine = model.machines.emplace_back();
        pageMachine.name = machine_.name;
        pageMachine.facts = machine_.facts;
        pageMachine.firstInterval = FirstIntervalWithErrorsOrAll(catalogue);
        pageMachine.today = LocalDay(clock, clock.UtcNow()).value_or(0);
        pageMachine.scanTime = FileTimeToLocalText(clock, clock.UtcNow());

        std::map<Text, size_t> placed;  // entry key -> index in model.entries
        // The "all" rows hold every listed entry in the window's order; the shorter intervals
        // are their prefixes by recency, so walking them from the widest keeps that order.
        for (int interval = IntervalAll; interval >= IntervalWeek; --interval) {
            const auto rows = BuildErrorRows(catalogue, interval, clock);
            pageMachine.rowCounts[interval - 1] = static_cast<int32_t>(rows.size());
            pageMachine.statusTexts[interval - 1] =
                IntervalStatusText(catalogue, interval, rows.size(), clock);
            for (const ErrorRow& row : rows) {
                const ErrorEntry* entry = catalogue.Find(row.key);
                if (entry == nullptr)
                    continue;
                auto [at, isNew] = placed.try_emplace(row.key, model.entries.size());
                if (isNew)
                    model.entries.push_back(NewEntry(*entry, row));
                PageEntry& pageEntry = model.entries[at->second];
                pageEntry.tooltips[interval - 1] = row.tooltip;
                if (machine_.system != nullptr) {
                    pageEntry.lookups[interval - 1] = LookupUrl(BuildLookupQuery(
                        LookupFields(row), context, catalogue, *machine_.system, false));
                }
            }
        }
    }

  private:
    PageEntry NewEntry(const ErrorEntry& entry, const ErrorRow& row) const {
        PageEntry e;
        e.machine = index_;
        e.category = entry.Category;
        e.appName = entry.AppName;
        e.errorName = entry.ErrorName;
        e.appPath = entry.AppPath;
        e.lastSeconds = FileTimeToUnixSeconds(entry.LastErrorDateTime);
        e.age = row.columns[3];
        for (int interval = IntervalWeek; interval <= IntervalAll; ++interval)
            e.counts[interval - 1] = ErrorCatalogue::IntervalCount(entry, interval);
        e.summary = entry.ErrorSummary;
        // An event without its source's message shows the record's own words.
        e.detail = entry.ErrorText || entry.Category == CategoryReportFile
                       ? entry.ErrorText
                       : std::optional<Text>(RecordWordsText(entry));
        for (const auto& [day, count] : OccurrencesPerDay(entry, *machine_.clock))
            e.days.push_back({day, count});
        if (machine_.crashes != nullptr) {
            const Text key = EntryKey(entry);
            if (const crash::JoinedDump* dump = machine_.crashes->DumpOf(key))
                e.dump = DumpForPage(*dump, entry);
            if (const crash::StopError* stop = machine_.crashes->StopErrorOf(key))
                e.stop = StopForPage(*stop);
        }
        return e;
    }

    static LookupRow LookupFields(const ErrorRow& row) {
        LookupRow fields;
        fields.imageIndex = row.image;
        for (int column = 0; column < kLookupColumns; ++column)
            fields.columns[column] = row.columns[column];
        return fields;
    }

    const ReportPage& page_;
    const ReportMachine& machine_;
    int index_;
};

}  // namespace

PageModel BuildPageModel(const ReportPage& page) {
    PageModel model;
    model.language = InterfaceLanguage();
    for (size_t i = 0; i < page.machines.size(); ++i) {
        const ReportMachine& machine = page.machines[i];
        if (machine.catalogue == nullptr || machine.clock == nullptr)
            continue;
        MachineEntries(page, machine, static_cast<int>(model.machines.size())).AddTo(model);
    }
    return model;
}

}  // namespace veltrano
