// The online lookup of the selected error and the about box, both started from the window.
#include "export/lookup_query.h"
#include "framework/message_box.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/win32/about_dialog.h"
#include "shell/win32/version_resource.h"
#include "ui/main_dialog.h"

namespace veltrano {

void CVeltranoDlg::OpenErrorLookup(int row, bool debug) {
    if (row < 0) {
        AppMessageBox(hwnd_, LocalText(LT_SELECT_ERROR), MB_OK);
        return;
    }
    const CListView list = list_.List();
    LookupRow lookupRow;
    lookupRow.imageIndex = list.ItemImage(row);
    for (int column = 0; column < kLookupColumns; ++column) {
        lookupRow.columns[column] = list.ItemText(row, column);
    }
    LookupContext context;
    GetFileVersionText(context.fileVersion);
    context.weekCount = counts_.week;
    context.monthCount = counts_.month;
    if (machine_.system == nullptr || machine_.shell == nullptr)
        return;
    const Text url =
        LookupUrl(BuildLookupQuery(lookupRow, context, scan_->catalogue, *machine_.system, debug));
    machine_.shell->Execute(0, u"open", url, u"", kShowNormal);
}

void CVeltranoDlg::OpenAboutBox() {
    if (machine_.shell == nullptr)
        return;
    CAboutDlg about(*machine_.shell, hwnd_);
    about.DoModal();
}

}  // namespace veltrano
