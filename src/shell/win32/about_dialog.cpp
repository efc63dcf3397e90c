// The about box.
#include "shell/win32/about_dialog.h"

#include "resources/resource_ids.h"
#include "shell/install_texts.h"
#include "shell/win32/version_resource.h"

namespace veltrano {

CAboutDlg::CAboutDlg(Shell& shell, HWND parent) : CDialog(IDD_ABOUTBOX, parent), shell_(shell) {}

void CAboutDlg::DoDataExchange(DataExchange& exchange) {
    exchange.Control(IDC_ABOUT_TEXT, text_);
    exchange.Control(IDC_ABOUT_LINK, link_);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Text version, legalNotice;
    GetFileVersionText(version);
    // The resource spells the value "LegalCopyright"; the lookup ignores letter case.
    GetVersionString(u"LegalCopyRight", legalNotice);
    text_.SetText(AboutText(version, legalNotice));
    link_.SetMarkup(AboutLinkMarkup());
    return TRUE;
}

bool CAboutDlg::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom != IDC_ABOUT_LINK || (header.code != NM_CLICK && header.code != NM_RETURN)) {
        return false;
    }
    const auto& link = reinterpret_cast<const NMLINK&>(header);
    const Text url = FromWide(link.item.szUrl, ::wcsnlen(link.item.szUrl, L_MAX_URL_LENGTH));
    shell_.Execute(reinterpret_cast<uintptr_t>(hwnd()), u"open", url, {}, kShowNormal);
    result = 0;
    return true;
}

}  // namespace veltrano
