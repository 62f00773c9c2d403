#include "document/messages.h"

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
