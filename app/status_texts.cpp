#include "app/status_texts.h"

#include <cstdio>

#include "base/ui_text.h"

std::string CaretPositionText(std::uint32_t column, std::uint32_t line) {
    char text[24];
    std::snprintf(text, sizeof text, "%4u:%u", static_cast<unsigned>(column), static_cast<unsigned>(line));
    return text;
}

std::string WindowTitleFor(std::string_view name) {
    std::string title = "[";
    title.append(name);
    title.append("]-VEMKO");
    return title;
}

std::string LineEndsText(LineEndKind kind, bool mixed) {
    std::string text = kind == LineEndKind::CrLf ? "CR LF" : kind == LineEndKind::Lf ? "LF" : "CR";
    if (mixed) text += " (смешанные)"_ui;
    return text;
}
