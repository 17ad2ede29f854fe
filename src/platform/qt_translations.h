#pragma once
// Qt's own texts (the file and colour dialogs, standard buttons) in the interface language.

#include <QTranslator>
#include <memory>

namespace qm {

class QtTranslations {
public:
    // 0 Russian, any other value English, which needs no catalogue. A missing catalogue
    // leaves Qt's texts English.
    void Use(int languageIndex);

private:
    std::unique_ptr<QTranslator> translator_;
};

} // namespace qm
