// The page's frame. No text of a log or a report is written here: the data goes in as JSON
// (page_json.cpp makes it safe for a script element) and the script builds the document from it
// with text nodes only. The content policy lets no other script run and no request leave.
#include "report/html/page_writer.h"

#include "report/html/inline_assets.h"
#include "report/html/page_json.h"
#include "report/html/page_model.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (left > 1)
            group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (left > 2)
            group |= static_cast<uint8_t>(bytes[i + 2]);
        out += kBase64[(group >> 18) & 63];
        out += kBase64[(group >> 12) & 63];
        out += left > 1 ? kBase64[(group >> 6) & 63] : '=';
        out += left > 2 ? kBase64[group & 63] : '=';
    }
    return out;
}

}  // namespace

std::string RenderReportPage(const ReportPage& page) {
    const PageModel model = BuildPageModel(page);
    std::string html = "<!DOCTYPE html>\n<html lang=\"" +
                       std::string(model.language == kLanguageGerman ? "de" : "en") +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                       "img-src data:; style-src 'unsafe-inline'; script-src 'sha256-" +
                       Base64(PageScriptSha256()) +
                       "'\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Veltrano</title>\n<style>\n";
    html += PageStyle();
    html += "\n.icon{background-image:url(data:image/png;base64,";
    html += Base64(RowIconsPng());
    html += ")}\n</style>\n</head>\n<body>\n<noscript>This report needs JavaScript.</noscript>\n";
    html += "<script type=\"application/json\" id=\"report-data\">";
    html += PageModelJson(model);
    html += "</script>\n<script>";
    html += PageScript();
    html += "</script>\n</body>\n</html>\n";
    return html;
}

bool WriteReportPage(FileSystem& files, TextView path, const ReportPage& page) {
    const std::string html = RenderReportPage(page);
    auto file = files.CreateForWriting(path);
    return file && file->Write(html.data(), html.size()) == html.size();
}

}  // namespace veltrano
