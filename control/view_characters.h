#pragma once
// The characters of the text in the form its view gives it (control/character_form.h): a byte each,
// UTF-8 sequences (control/utf8_characters.h) or UTF-16 units (control/utf16_characters.h). The
// layout, the caret's moves and the word rules of the views that go by characters all ask here, so
// the views cannot disagree on where a character starts.
#include <cstddef>
#include <string>
#include <string_view>

#include "control/text_model.h"
#include "control/utf16_characters.h"
#include "control/utf8_characters.h"
#include "control/word_class.h"
#include "encoding/code_page_tables.h"

// The form of the text in a view code page: UTF-8 (kUtf8View), UTF-16 (kUtf16LeView, kUtf16BeView)
// or bytes.
inline CharacterForm FormOfView(int view) {
    switch (view) {
    case kUtf8View: return CharacterForm::Utf8;
    case kUtf16LeView: return CharacterForm::Utf16Le;
    case kUtf16BeView: return CharacterForm::Utf16Be;
    default: return CharacterForm::Bytes;
    }
}

// The bytes of a character (below U+110000 and no surrogate) in a Unicode form; in the single-byte
// form nothing.
std::string EncodeCharacter(CharacterForm form, char32_t character);
// A line break of CR LF in the text's form.
std::string CrLfOf(CharacterForm form);
// What a line break of the form is made of: bytes, or UTF-16 units in the form's byte order.
LineBreakUnits LineBreakUnitsOf(CharacterForm form);
// The text's own line break, which whatever puts in a line break puts in: the document's kind
// (its first line break's) in the units of the text's form.
std::string_view LineBreakOfText(const TextModel& text);
// Bytes of the form with every line break made `kind`, in the form's units; every other byte stays.
std::string WithLineEndsIn(CharacterForm form, std::string_view bytes, LineEndKind kind);

// The character starting at position (which must start one); in the single-byte form the byte,
// whose code is the byte itself.
Utf8Character CharacterAt(const TextModel& text, std::size_t position);
// The start of the character that holds position; the text's end is a start.
std::size_t CharacterStart(const TextModel& text, std::size_t position);
// The next and the previous character start from a character start.
std::size_t NextCharacter(const TextModel& text, std::size_t position);
std::size_t PreviousCharacter(const TextModel& text, std::size_t position);

// The Unicode word class of the character at position (the forms that go by characters).
WordClass CharacterClassAt(const TextModel& text, std::size_t position);
// FindWordBreak of text_search by characters and their Unicode classes, a line break of any form
// (CR LF a word of its own) included.
std::size_t FindCharacterWordBreak(const TextModel& text, std::size_t position, WordMove move);

// VisitUtf8Characters and VisitUtf16Characters by the text's form; in the single-byte form each
// byte is a character whose code is the byte.
template <typename Visit>
void VisitCharacters(const TextModel& text, std::size_t from, std::size_t last, Visit&& visit) {
    switch (text.Form()) {
    case CharacterForm::Utf8: VisitUtf8Characters(text, from, last, visit); return;
    case CharacterForm::Utf16Le: VisitUtf16Characters(text, from, last, false, visit); return;
    case CharacterForm::Utf16Be: VisitUtf16Characters(text, from, last, true, visit); return;
    case CharacterForm::Bytes: break;
    }
    bool stopped = false;
    text.VisitRange(from, last, [&](const char* bytes, std::size_t count, std::size_t at) {
        for (std::size_t n = 0; n < count && !stopped; ++n) {
            Utf8Character c;
            c.byte = static_cast<unsigned char>(bytes[n]);
            c.code = c.byte;
            stopped = !visit(at + n, c);
        }
    });
}
