// Links of HTML pages to external references: addresses on the net, other hypertexts, itself.
#include "export/html_links.h"

#include "export/html_text.h"
#include "export/html_writer.h"
#include "hyp/ascii_case.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/message_text.h"
#include "hyp/paths.h"
#include "settings/settings.h"

namespace {

// Schemes whose addresses a browser follows (or hands to the mail or news program) itself.
constexpr const char* URL_SCHEMES[] = {"http",   "https", "ftp",  "ftps",   "sftp",
                                       "mailto", "news",  "nntp", "telnet", "gopher"};

}  // namespace

bool is_url(std::string_view name) {
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view scheme = name.substr(0, colon);
    for (const char* known : URL_SCHEMES) {
        if (equal_ignoring_case(scheme, known)) return true;
    }
    return false;
}

ExternalName split_external_name(std::string_view name) {
    ExternalName result;
    const size_t separator = name.find_first_of("/\\");
    if (separator != std::string_view::npos) {
        result.file = std::string(name.substr(0, separator));
        result.node = std::string(name.substr(separator + 1));
        return result;
    }
    if (ascii_lower_case(std::string(name)).find(".hyp") != std::string::npos) {
        result.file = std::string(name);
    } else {
        result.node = std::string(name);
    }
    return result;
}

struct ExternalLinks::Other {
    std::vector<std::string> page_files;
};

ExternalLinks::ExternalLinks(const HypDocument& doc, const std::vector<std::string>& page_files,
                             bool utf8)
    : doc_(doc), page_files_(page_files), utf8_(utf8) {}

ExternalLinks::~ExternalLinks() = default;

std::string ExternalLinks::page_in(const std::string& path, const std::optional<std::string>& node,
                                   const std::vector<std::string>* own_files) {
    // Opened as the viewer opens it to follow the reference, so the link leads where a click in
    // the viewer would; the export's own message must survive a file that fails to open.
    const std::string message = message_text;
    HypDocument other;
    int32_t page = -1;
    const bool opened = open_hypertext(other, path, node, -1, page);
    message_text = message;
    if (!opened) return {};

    const std::vector<std::string>* files = own_files;
    if (files == nullptr) {
        std::unique_ptr<Other>& known = others_[path];
        if (!known) {
            known = std::make_unique<Other>();
            known->page_files = html_page_file_names(other, utf8_);
        }
        files = &known->page_files;
    }
    if (page >= 0 && static_cast<size_t>(page) < files->size() && !(*files)[page].empty()) {
        return (*files)[page];
    }
    // The entry shown first is no page (a damaged or unusual file): the first page its export
    // writes stands in.
    for (const std::string& file : *files) {
        if (!file.empty()) return file;
    }
    return {};
}

std::string ExternalLinks::file_for(const std::string& name) {
    const auto known = resolved_.find(name);
    if (known != resolved_.end()) return known->second;

    const ExternalName ext = split_external_name(name);
    const std::string own_name = path_file_name(doc_.path);
    const bool itself = ext.file.empty() || equal_ignoring_case(ext.file, own_name) ||
                        equal_ignoring_case(ext.file, path_base_name(own_name));
    std::string file;
    if (itself) {
        file = page_in(doc_.path, ext.node, &page_files_);
        if (file.empty() && ext.node && !ext.node->empty())
            file = html_file_name(*ext.node, doc_.source_charset, utf8_);
    } else {
        // The folder is named by the reference as written, in the set of every file name of the
        // export (the Windows set, UTF-8 in the web form).
        const std::string base = convert_charset(
            path_base_name(ext.file), false,
            conversion_table(doc_.source_charset, utf8_ ? TARGET_UTF8 : TARGET_ANSI));
        std::string page;
        if (const std::optional<std::string> path =
                locate_hypertext(doc_, ext.file, hyp_path_setting())) {
            page = page_in(*path, ext.node, nullptr);
        }
        if (page.empty() && ext.node && !ext.node->empty())
            page = html_file_name(*ext.node, doc_.source_charset, utf8_);
        if (!base.empty()) file = "../" + base + "/" + page;
    }
    resolved_.emplace(name, file);
    return file;
}
