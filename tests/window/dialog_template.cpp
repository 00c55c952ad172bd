#include "tests/window/dialog_template.h"

#include <cstring>

namespace kovra::test {

namespace {

class Reader {
  public:
    explicit Reader(const BYTE* data) : data_(data) {}

    template <class T> T take() {
        T value;
        std::memcpy(&value, data_ + offset_, sizeof value);
        offset_ += sizeof value;
        return value;
    }
    void alignTo(std::size_t bytes) { offset_ = (offset_ + bytes - 1) / bytes * bytes; }

    // A name or ordinal: 0 for none, 0xFFFF and a number, or a zero-terminated UTF-16 text.
    std::string nameOrOrdinal(bool isClass) {
        WORD first = take<WORD>();
        if (first == 0)
            return {};
        if (first == 0xFFFF) {
            WORD ordinal = take<WORD>();
            if (!isClass)
                return "#" + std::to_string(ordinal);
            static const char* const classes[] = {"Button",  "Edit",      "Static",
                                                  "ListBox", "ScrollBar", "ComboBox"};
            return ordinal >= 0x80 && ordinal <= 0x85 ? classes[ordinal - 0x80]
                                                      : "#" + std::to_string(ordinal);
        }
        offset_ -= sizeof(WORD);
        std::wstring text;
        while (WCHAR c = take<WCHAR>())
            text.push_back(c);
        return narrow(text);
    }

  private:
    static std::string narrow(const std::wstring& text) {
        int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string result(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
        result.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
        return result;
    }

    const BYTE* data_;
    std::size_t offset_ = 0;
};

} // namespace

std::optional<DialogTemplate> loadDialogTemplate(int id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)); // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return std::nullopt;
    Reader in(data);
    if (in.take<WORD>() != 1 || in.take<WORD>() != 0xFFFF)
        return std::nullopt;
    DialogTemplate result{};
    in.take<DWORD>(); // help context
    result.exStyle = in.take<DWORD>();
    result.style = in.take<DWORD>();
    WORD count = in.take<WORD>();
    in.take<short>();
    in.take<short>();
    result.width = in.take<short>();
    result.height = in.take<short>();
    in.nameOrOrdinal(false); // menu
    in.nameOrOrdinal(false); // window class
    result.caption = in.nameOrOrdinal(false);
    if (result.style & DS_SETFONT) {
        in.take<WORD>(); // point size
        in.take<WORD>(); // weight
        in.take<BYTE>(); // italic
        in.take<BYTE>(); // character set
        in.nameOrOrdinal(false);
    }
    for (WORD i = 0; i < count; ++i) {
        in.alignTo(4);
        TemplateControl control{};
        in.take<DWORD>(); // help context
        control.exStyle = in.take<DWORD>();
        control.style = in.take<DWORD>();
        short x = in.take<short>(), y = in.take<short>();
        short cx = in.take<short>(), cy = in.take<short>();
        control.rect = RECT{x, y, x + cx, y + cy};
        control.id = in.take<DWORD>();
        control.windowClass = in.nameOrOrdinal(true);
        control.caption = in.nameOrOrdinal(false);
        WORD extra = in.take<WORD>();
        for (WORD skipped = 0; skipped < extra; ++skipped)
            in.take<BYTE>();
        result.controls.push_back(control);
    }
    return result;
}

} // namespace kovra::test
