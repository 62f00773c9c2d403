#include "export/export_name.h"

void RemoveProposedExtension(std::u16string& name) {
    for (size_t i = name.size(); i-- > 2;) {
        if (name[i] == u'.') {
            name.resize(i);
            return;
        }
    }
}
