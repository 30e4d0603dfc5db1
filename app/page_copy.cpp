// The text of one page as the copy command puts it on the clipboard.
#include "app/page_copy.h"

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

bool copy_page_text(HypDocument& doc, uint16_t page, unsigned target, ExportOutput& output) {
    if (page >= doc.index.size()) return false;
    // A copied page is a text export of one page, so it frames links as the text export does.
    ExportRun run;
    run.mode = ExportMode::Text;
    run.all_links = settings.alllinks_txt != 0;
    run.conversion = conversion_table(doc.source_charset, target);
    TextWriter writer(output, run);
    interpret_page(PageWalkArgs::text(doc, page, writer));
    output.flush();
    return true;
}

bool copy_page_text(HypDocument& doc, uint16_t page, unsigned target, std::string& text) {
    ExportOutput output(&text);
    return copy_page_text(doc, page, target, output);
}
