#include "tools/win/date_time.h"

#include <new>

#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "tools/date_time_text.h"
#include "tools/search_logic.h"

namespace {

// The system's formats are the user's to set, and a short date format may be long ("dddd, d MMMM
// yyyy" in a Russian locale), so the text is asked for at the size the system says it needs rather
// than into a fixed buffer that such a format would overflow, leaving nothing to insert.
template <typename Format>
std::string FormattedText(Format format) {
    const int needed = format(nullptr, 0);
    if (needed <= 0) return {};
    std::string text(static_cast<std::size_t>(needed), '\0');
    const int written = format(text.data(), needed);
    if (written <= 0) return {};
    text.resize(static_cast<std::size_t>(written - 1));  // the count includes the terminator
    return text;
}

}  // namespace

std::string LocaleDateText(const SYSTEMTIME& moment) {
    return FormattedText([&moment](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &moment, nullptr, buffer, size);
    });
}

std::string LocaleTimeText(const SYSTEMTIME& moment) {
    return FormattedText([&moment](char* buffer, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &moment, nullptr, buffer, size);
    });
}

void InsertDateTime() {
    if (!EditorControl) return;
    SYSTEMTIME moment{};
    GetLocalTime(&moment);
    try {
        // The system's texts are 1251; the Unicode views take them as their own characters.
        auto inView = [](const std::string& text) {
            return IsUnicodeView(CodePageIndex) ? SearchTextToView(text, CodePageIndex) : text;
        };
        if (InsertDateTimeText(ProgramDocument(), inView(LocaleDateText(moment)), inView(LocaleTimeText(moment)),
                               inView(" ")))
            return;
    } catch (const std::bad_alloc&) {
        // No memory for the texts themselves: nothing went in.
    }
    ReportOutOfMemory();
}
