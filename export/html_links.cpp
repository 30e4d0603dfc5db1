// Links of HTML pages to external references: addresses on the net, other hypertexts, itself.
#include "export/html_links.h"

#include "export/html_text.h"
#include "export/html_writer.h"
#include "hyp/ascii_case.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "hyp/symbols.h"
#include "settings/settings.h"

namespace {

// Schemes whose addresses a browser follows (or hands to the mail or news program) itself.
constexpr const char* URL_SCHEMES[] = {"http",   "https", "ftp",  "ftps",   "sftp",
                                       "mailto", "news",  "nntp", "telnet", "gopher"};

// The anchor of label `wanted` on page `page_name` of `doc`, whose REF file was read to open it:
// as the viewer follows a reference, the last alias or label of that name (ignoring case) after
// a node decides. Empty when that is an alias (the page's top is its place), or when the label
// is listed under a node spelt otherwise than the page: its export writes the anchors of the
// REF node whose text is exactly the page's name, so no anchor of that label would exist.
std::string label_anchor(const HypDocument& doc, std::string_view page_name,
                         const std::string& wanted) {
    std::optional<std::string> node;
    std::string anchor;
    for (const SymbolEntry& symbol : doc.symbols) {
        if (symbol.kind == REF_NODE) {
            node = symbol_text(symbol);
        } else if (node && (symbol.kind == REF_ALIAS || symbol.kind == REF_LABEL)) {
            const std::string text = symbol_text(symbol);
            if (!equal_ignoring_case(text, wanted)) continue;
            anchor = symbol.kind == REF_LABEL && *node == page_name ? text : std::string();
        }
    }
    return anchor;
}

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

ExternalTarget ExternalLinks::page_in(const std::string& path,
                                      const std::optional<std::string>& node,
                                      const std::vector<std::string>* own_files) {
    // Opened as the viewer opens it to follow the reference, so the link leads where a click in
    // the viewer would; a file that fails to open only leaves the link without a page.
    HypDocument other;
    int32_t page = -1;
    if (!open_hypertext(other, path, node, -1, page)) return {};

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
        ExternalTarget target{(*files)[page], {}};
        // `files` lists the entries of `other` (its own file names, or this export's when it
        // is this very file again), so `page` is an entry of `other` as well; checked all the
        // same, should the file have changed on disk since this export opened it.
        if (node && static_cast<size_t>(page) < other.index.size() && other.index[page].name) {
            target.anchor = label_anchor(other, *other.index[page].name, *node);
        }
        return target;
    }
    // The entry shown first is no page (a damaged or unusual file): the first page its export
    // writes stands in.
    for (const std::string& file : *files) {
        if (!file.empty()) return {file, {}};
    }
    return {};
}

ExternalTarget ExternalLinks::target_for(const std::string& name) {
    const auto known = resolved_.find(name);
    if (known != resolved_.end()) return known->second;

    const ExternalName ext = split_external_name(name);
    const std::string own_name = path_file_name(doc_.path);
    const bool itself = ext.file.empty() || equal_ignoring_case(ext.file, own_name) ||
                        equal_ignoring_case(ext.file, path_base_name(own_name));
    ExternalTarget target;
    if (itself) {
        target = page_in(doc_.path, ext.node, &page_files_);
        if (target.file.empty() && ext.node && !ext.node->empty())
            target.file = html_file_name(*ext.node, doc_.source_charset, utf8_);
    } else {
        // The folder is named by the reference as written, in the set of every file name of the
        // export (the Windows set, UTF-8 in the web form).
        const std::string base = convert_charset(
            path_base_name(ext.file), false,
            conversion_table(doc_.source_charset, utf8_ ? TARGET_UTF8 : TARGET_ANSI));
        ExternalTarget page;
        if (const std::optional<std::string> path =
                locate_hypertext(doc_, ext.file, hyp_path_setting())) {
            page = page_in(*path, ext.node, nullptr);
        }
        if (page.file.empty() && ext.node && !ext.node->empty())
            page.file = html_file_name(*ext.node, doc_.source_charset, utf8_);
        if (!base.empty()) target = {"../" + base + "/" + page.file, page.anchor};
    }
    resolved_.emplace(name, target);
    return target;
}
