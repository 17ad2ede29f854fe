#include "platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace qm {

void QtTranslations::Use(int languageIndex) {
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
    if (languageIndex != 0) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
}

} // namespace qm
