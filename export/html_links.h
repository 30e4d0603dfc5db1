// Where a link of an HTML page leads when its target is not a page of the hypertext itself.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HypDocument;

// Whether the name of an external reference is an address on the net: it starts with one of
// the schemes a browser opens itself (http:, https:, ftp:, mailto: ...; in any letter case).
bool is_url(std::string_view name);

// The name of an external reference taken apart as the viewer follows it: "file/node" or
// "file\node" (split at the first separator), a name containing ".hyp" in any case (a whole
// file, shown from its first entry), or else a node of the hypertext itself (file empty).
struct ExternalName {
    std::string file;                 // as written; empty: the hypertext itself
    std::optional<std::string> node;  // none: the file as a whole
};
ExternalName split_external_name(std::string_view name);

// Where a reference leads: a page file and, for a label, the anchor on that page.
struct ExternalTarget {
    std::string file;    // relative to the page, not yet made a reference; empty: nothing to name
    std::string anchor;  // the label's name as its page's anchor has it (unconverted); empty: top
};

// Resolves links to external references for one run of the HTML export of `doc`, whose page
// files are `page_files` (html_page_file_names). A reference into another hypertext leads to
// "../<base>/<page file>": the page an export of that hypertext into a sibling folder named
// after its file's base name (in the case the reference writes it) gives the node. The page
// file is found as the viewer finds the node: when the other file can be located (beside this
// one, or in HypPath's folder) it is opened, the node looked up by name, alias or label through
// its REF file, or its default or first entry taken, and that entry's page file named exactly
// as its own export names it. When a label decided, the target also names the label's anchor,
// spelt as that export writes it on the page (its REF file's spelling, not the reference's).
// A file that cannot be found is named by the node through the same file-name rules (or,
// without a node, by its folder alone), with no anchor. References into the hypertext itself
// lead to its own page files.
class ExternalLinks {
   public:
    // With `utf8` the files are named as the web form names them.
    ExternalLinks(const HypDocument& doc, const std::vector<std::string>& page_files,
                  bool utf8 = false);
    ~ExternalLinks();
    ExternalLinks(const ExternalLinks&) = delete;
    ExternalLinks& operator=(const ExternalLinks&) = delete;

    // The target for the name of an ENTRY_EXTERNAL entry that is not a URL; its file is empty
    // when nothing can be named.
    ExternalTarget target_for(const std::string& name);

   private:
    struct Other;
    // The page file of the entry the viewer would show for `node` in hypertext `path`, with
    // the page files of that hypertext, and the anchor when `node` is one of its labels.
    ExternalTarget page_in(const std::string& path, const std::optional<std::string>& node,
                           const std::vector<std::string>* own_files);

    const HypDocument& doc_;
    const std::vector<std::string>& page_files_;
    bool utf8_;
    std::map<std::string, ExternalTarget> resolved_;        // name -> target, for names seen before
    std::map<std::string, std::unique_ptr<Other>> others_;  // located path -> its page files
};
