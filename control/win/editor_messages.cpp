#include "control/win/editor_state.h"

namespace editor_control {

namespace {

// ---- Rich-edit messages ----------------------------------------------------------------------

// Room kept beyond a loaded text, so that typing does not at once make the whole text move to a
// bigger block.
constexpr std::size_t kLoadReserve = 1 << 20;

// The text streamed in whole: gathered aside, read straight into its final block, and put in place
// of the old text only when complete. A failed read or a failed allocation leaves the old text.
LRESULT StreamInWholeText(Editor& e, bool rtf, std::size_t expected, EDITSTREAM* stream) {
    const std::size_t room = e.text.TextLimit();
    TextBuilder built;
    built.SetForm(e.text.Form());
    if (expected) built.Expect(std::min(expected, room) + kLoadReserve);
    std::size_t total = 0;
    bool cut = false;
    for (;;) {
        // What was expected is read into the room already had; only a longer stream grows it.
        std::size_t spare = built.Spare();
        std::size_t requested = spare ? std::min(spare, kStreamBlock) : kStreamBlock;
        char* into = built.Room(requested);
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(into),
                                          static_cast<LONG>(requested), &moved);
        if (error) {
            stream->dwError = error;
            return 0;
        }
        if (moved <= 0) break;
        std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(moved), requested);
        total += count;
        // A text that will not fit is not read further (an RTF shrinks, so it is read whole).
        if (!rtf && built.Length() + count >= room) {
            cut = built.Length() + count > room;
            built.Add(room - built.Length());
            break;
        }
        built.Add(count);
    }
    if (rtf) {
        std::string plain = RtfToPlainText(built.Bytes());
        TextBuilder converted;
        converted.SetForm(e.text.Form());
        std::size_t kept = std::min(plain.size(), room);
        converted.Expect(kept);
        converted.Append(std::string_view(plain).substr(0, kept));
        cut = kept < plain.size();
        converted.Finish();
        std::swap(built, converted);
    } else {
        built.Finish();
    }

    e.doc.ReplaceWhole(built, UndoKind::NotRecorded);
    e.doc.CompactText();
    if (cut) Notify(e, EN_MAXTEXT, 0xFFFFFFFF);
    return static_cast<LRESULT>(e.text.Length());
}

// The text streamed in place of the selection: the blocks are kept as they come and handed to the
// text in one step (one copy, one update of the line index, however small the caller's blocks
// are), or not at all when the stream fails.
LRESULT StreamInSelection(Editor& e, bool rtf, EDITSTREAM* stream) {
    std::size_t first = e.edit.SelectionStart();
    std::size_t last = e.edit.SelectionEnd();
    std::size_t kept = e.text.Length() - (last - first);
    std::size_t room = e.text.TextLimit() > kept ? e.text.TextLimit() - kept : 0;

    constexpr std::size_t kChunk = 1 << 20;
    std::vector<std::unique_ptr<char[]>> chunks;
    std::vector<std::string_view> pieces;
    std::size_t chunkUsed = kChunk;
    std::size_t total = 0;
    for (;;) {
        if (chunkUsed == kChunk) {
            chunks.push_back(std::unique_ptr<char[]>(new char[kChunk]));  // not zero-filled: every byte read is written first
            chunkUsed = 0;
        }
        char* into = chunks.back().get() + chunkUsed;
        LONG requested = static_cast<LONG>(std::min(kStreamBlock, kChunk - chunkUsed));
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(into), requested, &moved);
        if (error) {
            stream->dwError = error;
            return 0;
        }
        if (moved <= 0) break;
        std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(moved), static_cast<std::size_t>(requested));
        if (!pieces.empty() && pieces.back().data() + pieces.back().size() == into)
            pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + count);
        else
            pieces.emplace_back(into, count);
        chunkUsed += count;
        total += count;
        if (!rtf && total >= room) break;
    }
    std::string plain;
    if (rtf) {
        std::string source;
        source.reserve(total);
        for (std::string_view piece : pieces) source.append(piece);
        chunks.clear();
        plain = RtfToPlainText(source);
        pieces.assign(1, plain);
        total = plain.size();
    }
    std::size_t inserted = e.doc.ReplaceByPieces(first, last, pieces, UndoKind::NotRecorded);
    chunks.clear();
    FollowChange(e, first + inserted, [&] {
        e.edit.ClampView();
        UpdateScrollBars(e);
        Invalidate(e);
    });
    return static_cast<LRESULT>(inserted);
}

}  // namespace

LRESULT StreamIn(Editor& e, WPARAM format, EDITSTREAM* stream) {
    std::size_t expected = e.richEdit.expectedStreamSize;
    e.richEdit.expectedStreamSize = 0;
    if (!stream || !stream->pfnCallback) return 0;
    stream->dwError = 0;
    bool rtf = (format & (SF_TEXT | SF_RTF)) == SF_RTF;
    try {
        return (format & SFF_SELECTION) ? StreamInSelection(e, rtf, stream) : StreamInWholeText(e, rtf, expected, stream);
    } catch (const std::bad_alloc&) {
        // The text is as it was; the caller learns of it from the stream, the window procedure
        // tells the parent.
        stream->dwError = ERROR_NOT_ENOUGH_MEMORY;
        throw;
    }
}

LRESULT StreamOut(Editor& e, WPARAM format, EDITSTREAM* stream) {
    if (!stream || !stream->pfnCallback) return 0;
    stream->dwError = 0;
    bool selectionOnly = (format & SFF_SELECTION) != 0;
    std::size_t position = selectionOnly ? e.edit.SelectionStart() : 0;
    std::size_t last = selectionOnly ? e.edit.SelectionEnd() : e.text.Length();
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kStreamBlock]);
    if (!buffer) {
        stream->dwError = ERROR_NOT_ENOUGH_MEMORY;
        throw std::bad_alloc();
    }
    std::string_view block(buffer.get(), kStreamBlock);
    std::size_t total = 0;
    while (position < last) {
        std::size_t count = std::min(block.size(), last - position);
        e.text.CopyRange(position, position + count, buffer.get());
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(buffer.get()),
                                          static_cast<LONG>(count), &moved);
        if (error) {
            stream->dwError = error;
            break;
        }
        if (moved <= 0) break;
        std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(moved), count);
        position += taken;
        total += taken;
    }
    return static_cast<LRESULT>(total);
}

// The caller's buffer holds the bytes and a terminator, as with the system's control.
LRESULT CopyOut(const Editor& e, std::size_t first, std::size_t last, char* out) {
    if (!out) return 0;
    e.text.CopyRange(first, last, out);
    out[last - first] = '\0';
    return static_cast<LRESULT>(last - first);
}

LRESULT OnGetText(Editor& e, WPARAM size, char* out) {
    if (!out || size == 0) return 0;
    std::size_t count = std::min<std::size_t>(e.text.Length(), size - 1);
    e.text.CopyRange(0, count, out);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT OnSetText(Editor& e, const char* text) {
    std::string_view bytes = text ? std::string_view(text) : std::string_view();
    e.doc.Replace(0, e.text.Length(), bytes, UndoKind::NotRecorded, EditKind::Other, false);
    e.colours.Clear();
    FollowChange(e, 0, [&] {
        e.edit.ResetView();
        SetSelection(e, 0, 0);
        UpdateScrollBars(e);
        Invalidate(e);
    });
    return TRUE;
}

void SetSelectionFromMessage(Editor& e, LONG first, LONG last) {
    e.doc.CloseTypingRun();
    if (first < 0) {
        SetSelection(e, e.edit.Caret(), e.edit.Caret());
        return;
    }
    SetSelection(e, ClampPosition(e, first), ClampPosition(e, last));
}

LRESULT OnLineIndex(Editor& e, WPARAM line) {
    std::size_t d = static_cast<LONG>(line) < 0 ? e.edit.CaretLine() : static_cast<std::size_t>(line);
    std::size_t start = e.layout.DisplayLineStart(d);
    return start == kNone ? -1 : static_cast<LRESULT>(start);
}

LRESULT OnLineLength(Editor& e, WPARAM position) {
    if (static_cast<LONG>(position) < 0) {
        // The unselected characters on the lines that hold the selection.
        std::size_t first = e.edit.SelectionStart(), last = e.edit.SelectionEnd();
        std::size_t firstLine = e.layout.DisplayLineFromPosition(first);
        std::size_t lastLine = e.layout.DisplayLineFromPosition(last);
        std::size_t before = first - e.layout.DisplayLineStart(firstLine);
        std::size_t end = e.layout.DisplayLineEnd(lastLine);
        std::size_t after = end > last ? end - last : 0;
        return static_cast<LRESULT>(before + after);
    }
    std::size_t d = e.layout.DisplayLineFromPosition(ClampPosition(e, static_cast<LONG>(position)));
    return static_cast<LRESULT>(e.layout.DisplayLineEnd(d) - e.layout.DisplayLineStart(d));
}

LRESULT OnFindText(Editor& e, WPARAM flags, FINDTEXTA* find, CHARRANGE* found) {
    if (!find || !find->lpstrText) return -1;
    std::size_t first = find->chrg.cpMin < 0 ? 0 : static_cast<std::size_t>(find->chrg.cpMin);
    std::size_t last = find->chrg.cpMax < 0 ? e.text.Length() : static_cast<std::size_t>(find->chrg.cpMax);
    std::string_view pattern(find->lpstrText);
    SearchOptions options{(flags & FR_WHOLEWORD) != 0, (flags & FR_MATCHCASE) != 0};
    // Forward only, whatever the direction flag says, as the first rich-edit control searched.
    std::size_t at = SearchText(e.text, pattern, first, last, options, Letters(e));
    if (at == kNone) return -1;
    if (found) *found = {static_cast<LONG>(at), static_cast<LONG>(at + pattern.size())};
    return static_cast<LRESULT>(at);
}

LRESULT OnFindWordBreak(Editor& e, WPARAM code, LPARAM position) {
    std::size_t p = ClampPosition(e, static_cast<LONG>(position));
    const ViewLetters& letters = Letters(e);
    switch (code) {
    case WB_LEFT:
    case WB_MOVEWORDLEFT:
    // By the view's characters, as the keys move.
    case WB_LEFTBREAK: return static_cast<LRESULT>(e.edit.WordBreak(p, WordMove::Left));
    case WB_RIGHT:
    case WB_MOVEWORDRIGHT:
    case WB_RIGHTBREAK: return static_cast<LRESULT>(e.edit.WordBreak(p, WordMove::Right));
    case WB_ISDELIMITER:
        return p < e.text.Length() && letters.classes[e.text.At(p)] != WordClass::Word &&
               letters.classes[e.text.At(p)] != WordClass::Punctuation;
    case WB_CLASSIFY: {
        if (p >= e.text.Length()) return 0;
        WordClass c = letters.classes[e.text.At(p)];
        if (c == WordClass::Blank) return WBF_ISWHITE | WBF_BREAKAFTER;
        if (c == WordClass::LineBreak) return WBF_BREAKLINE;
        return c == WordClass::Punctuation ? 1 : 0;
    }
    default: return 0;
    }
}

LRESULT OnGetCharFormat(Editor& e, WPARAM scope, CHARFORMATA* out) {
    if (!out || out->cbSize < sizeof(CHARFORMATA)) return 0;
    UINT size = out->cbSize;
    std::memcpy(reinterpret_cast<char*>(out) + sizeof(UINT),
                reinterpret_cast<const char*>(&e.look.format) + sizeof(UINT), sizeof(CHARFORMATA) - sizeof(UINT));
    out->cbSize = size;
    out->dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE | CFM_COLOR |
                  CFM_FACE | CFM_OFFSET | CFM_CHARSET;
    if (scope & SCF_SELECTION) {
        // An empty selection reports the format that text typed there takes: the colour of the
        // character before the caret (at the start of the text, of the one after it).
        std::size_t at = e.edit.SelectionStart();
        if (at == e.edit.SelectionEnd() && at > 0) --at;
        std::uint32_t colour = e.colours.ColourAt(at);
        if (colour != ColourRuns::kDefault) {
            out->crTextColor = colour;
            out->dwEffects &= ~CFE_AUTOCOLOR;
        }
    }
    return out->dwMask;
}

LRESULT OnSetCharFormat(Editor& e, WPARAM scope, const CHARFORMATA* in) {
    if (!in || in->cbSize < sizeof(CHARFORMATA)) return 0;
    CHARFORMATA& f = e.look.format;
    bool fontChanged = false;
    auto effect = [&](DWORD mask, DWORD bit) {
        if (!(in->dwMask & mask)) return;
        DWORD wanted = (in->dwEffects & bit) ? (f.dwEffects | bit) : (f.dwEffects & ~bit);
        fontChanged = fontChanged || wanted != f.dwEffects;
        f.dwEffects = wanted;
    };
    effect(CFM_BOLD, CFE_BOLD);
    effect(CFM_ITALIC, CFE_ITALIC);
    effect(CFM_UNDERLINE, CFE_UNDERLINE);
    effect(CFM_STRIKEOUT, CFE_STRIKEOUT);
    if ((in->dwMask & CFM_SIZE) && in->yHeight != f.yHeight) {
        f.yHeight = in->yHeight;
        fontChanged = true;
    }
    if (in->dwMask & CFM_OFFSET) f.yOffset = in->yOffset;
    if (in->dwMask & CFM_CHARSET) f.bCharSet = in->bCharSet;
    if (in->dwMask & CFM_FACE) {
        if (std::strncmp(f.szFaceName, in->szFaceName, LF_FACESIZE) != 0 || f.bPitchAndFamily != in->bPitchAndFamily)
            fontChanged = true;
        lstrcpynA(f.szFaceName, in->szFaceName, LF_FACESIZE);
        f.bPitchAndFamily = in->bPitchAndFamily;
    }
    if (in->dwMask & CFM_COLOR) {
        bool automatic = (in->dwEffects & CFE_AUTOCOLOR) != 0;
        COLORREF colour = automatic ? GetSysColor(COLOR_WINDOWTEXT) : in->crTextColor;
        if (scope & SCF_ALL) {
            // The whole text in one colour: no runs, and the colour becomes the control's.
            e.colours.Clear();
            f.crTextColor = colour;
            f.dwEffects = automatic ? (f.dwEffects | CFE_AUTOCOLOR) : (f.dwEffects & ~CFE_AUTOCOLOR);
        } else if (scope & (SCF_SELECTION | SCF_WORD)) {
            e.colours.Set(e.edit.SelectionStart(), e.edit.SelectionEnd(), colour);
        } else {
            f.crTextColor = colour;
            f.dwEffects = automatic ? (f.dwEffects | CFE_AUTOCOLOR) : (f.dwEffects & ~CFE_AUTOCOLOR);
        }
    }
    f.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_OFFSET;
    if (fontChanged) ApplyFont(e);
    Invalidate(e);
    return TRUE;
}

void OnSetFont(Editor& e, HFONT font) {
    LOGFONTA logFont{};
    if (!font || !GetObjectA(font, sizeof logFont, &logFont)) return;
    const int dpi = WindowDpi(e.window);
    LONG height = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
    e.look.format.yHeight = height ? MulDiv(height, 1440, dpi) : 0;
    e.look.format.dwEffects &= ~(CFE_BOLD | CFE_ITALIC);
    if (logFont.lfWeight >= FW_BOLD) e.look.format.dwEffects |= CFE_BOLD;
    if (logFont.lfItalic) e.look.format.dwEffects |= CFE_ITALIC;
    e.look.format.bCharSet = logFont.lfCharSet;
    e.look.format.bPitchAndFamily = logFont.lfPitchAndFamily;
    lstrcpynA(e.look.format.szFaceName, logFont.lfFaceName, LF_FACESIZE);
    ApplyFont(e);
}

LRESULT OnUndo(Editor& e) {
    if (ReadOnly(e)) return FALSE;
    return e.doc.UndoTextStep() ? TRUE : FALSE;
}

namespace {

PageLook LookOf(const Editor& e) {
    return {static_cast<int>(e.doc.ViewCodePage()), &e.look.format, TextColour(e), &e.colours};
}

}  // namespace

LRESULT OnFormatRange(Editor& e, WPARAM render, LPARAM range) {
    return e.pages.FormatRange(LookOf(e), render != 0, reinterpret_cast<FORMATRANGE*>(range));
}

LRESULT OnDisplayBand(Editor& e, LPARAM band) {
    return e.pages.DisplayBand(LookOf(e), reinterpret_cast<const RECT*>(band)) ? TRUE : FALSE;
}

void ShowViewCodePage(Editor& e) {
    e.screen.shownView = e.doc.ViewCodePage();
    MeasureFont(e);
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    e.edit.ClampView();
    UpdateScrollBars(e);
    PlaceCaret(e);
    Invalidate(e);
}

void OnCreate(Editor& e) {
    LONG_PTR style = Style(e);
    e.focus.showSelectionUnfocused = (style & ES_NOHIDESEL) != 0;
    e.look.format.cbSize = sizeof(CHARFORMATA);
    e.look.format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_OFFSET;
    e.look.format.dwEffects = CFE_AUTOCOLOR;
    e.look.format.yHeight = 200;
    e.look.format.bCharSet = DEFAULT_CHARSET;
    e.look.format.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    e.screen.shownView = e.doc.ViewCodePage();
    e.screen.shownOverwrite = e.doc.Overwrite();
    ApplyFont(e);
}

void OnSize(Editor& e) {
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    SyncViewSize(e);
    e.edit.ClampView();
    UpdateScrollBars(e);
    PlaceCaret(e);
    InvalidateRect(e.window, nullptr, FALSE);
}

// The other control's text moves here without a copy; this control's (empty, for word wrap) goes
// there. Both are then shown from their start.
LRESULT TakeTextFrom(Editor& e, HWND other) {
    if (!other || other == e.window || GetClassLongPtrA(other, GCW_ATOM) != GetClassLongPtrA(e.window, GCW_ATOM))
        return FALSE;
    Editor* source = EditorOf(other);
    if (!source) return FALSE;
    if (&source->doc == &e.doc) return FALSE;
    e.doc.TakeTextFrom(source->doc);
    return TRUE;
}

LRESULT MapSelectedBytes(Editor& e, const std::uint8_t* byteFor) {
    if (!byteFor || ReadOnly(e)) return FALSE;
    std::size_t first = e.edit.SelectionStart(), last = e.edit.SelectionEnd();
    if (!e.doc.MapBytes(first, last, byteFor, UndoKind::NotRecorded)) return FALSE;
    FollowChange(e, e.edit.Caret(), [&] {
        e.edit.ForgetWidestLine();
        UpdateScrollBars(e);
        PlaceCaret(e);
        Invalidate(e);
    });
    return TRUE;
}

}  // namespace editor_control
