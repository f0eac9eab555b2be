#include "encoding/line_ends.h"

LineEnd LineEndOf(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) return LineEnd::CrLf;
    return text.find('\n') != std::string_view::npos ? LineEnd::Lf : LineEnd::CrLf;
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string WithLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}
