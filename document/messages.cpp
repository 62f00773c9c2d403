#include "document/messages.h"

std::u16string FillText(const std::u16string& format, std::initializer_list<std::u16string> args) {
    std::u16string text;
    auto next = args.begin();
    size_t from = 0;
    for (;;) {
        size_t at = format.find(u"%s", from);
        if (at == std::u16string::npos || next == args.end()) {
            text.append(format, from, std::u16string::npos);
            return text;
        }
        text.append(format, from, at - from);
        text += *next++;
        from = at + 2;
    }
}

std::u16string FileNameOf(const std::u16string& path) {
    size_t slash = path.find_last_of(u"\\/:");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string OpenResultMessage(LoadResult result, const std::u16string& title,
                                 const std::u16string& systemErrorText) {
    switch (result) {
    case LoadOk: return std::u16string();
    case LoadObjectFile: return FillText(Texts::OpenObjectFile, {title});
    case LoadXmlError: return FillText(Texts::OpenXmlError, {title});
    case LoadOpenFailed: return FillText(Texts::OpenFailed, {title, systemErrorText});
    case LoadNoMemory: return FillText(Texts::OpenNoMemory, {title});
    case LoadNotGroupFile: return FillText(Texts::OpenNotGroupFile, {title});
    }
    return std::u16string();
}
