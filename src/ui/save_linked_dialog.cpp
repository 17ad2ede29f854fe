#include "ui/save_linked_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "platform/qt_convert.h"
#include "site/linked_files.h"
#include "state/browser.h"

namespace qm {
namespace {

constexpr int kUiTitle = 313;
constexpr int kUiFolder = 314;
constexpr int kUiKinds = 315;
constexpr int kUiMedia = 316;
constexpr int kUiLinked = 317;
constexpr int kUiLinks = 318;
constexpr int kUiExtensions = 319;

} // namespace

SaveLinkedDialog::SaveLinkedDialog(Browser& browser, QWidget* parent)
    : QDialog(parent), browser_(browser) {
    setObjectName("SaveLinkedDialog");
    setWindowTitle(ToQString(browser.Ui(kUiTitle)));
    auto* form = new QFormLayout(this);
    auto* folderRow = new QHBoxLayout;
    folder_ = new QLineEdit(this);
    folder_->setObjectName("RipFolder");
    folder_->setMinimumWidth(360);
    auto* browse = new QPushButton("...", this);
    browse->setObjectName("RipBrowse");
    connect(browse, &QPushButton::clicked, this, &SaveLinkedDialog::ChooseFolder);
    folderRow->addWidget(folder_);
    folderRow->addWidget(browse);
    form->addRow(ToQString(browser.Ui(kUiFolder)), folderRow);
    auto* kinds = new QHBoxLayout;
    media_ = new QCheckBox(ToQString(browser.Ui(kUiMedia)), this);
    linked_ = new QCheckBox(ToQString(browser.Ui(kUiLinked)), this);
    links_ = new QCheckBox(ToQString(browser.Ui(kUiLinks)), this);
    media_->setObjectName("RipMedia");
    linked_->setObjectName("RipLinked");
    links_->setObjectName("RipLinks");
    for (QCheckBox* box : {media_, linked_, links_})
        kinds->addWidget(box);
    form->addRow(ToQString(browser.Ui(kUiKinds)), kinds);
    extensions_ = new QLineEdit(this);
    extensions_->setObjectName("RipExtensions");
    form->addRow(ToQString(browser.Ui(kUiExtensions)), extensions_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool SaveLinkedDialog::Ask() {
    BrowserState& state = browser_.State();
    folder_->setText(QString::fromStdString(state.RipFolder.empty() ? state.DownloadFolder
                                                                     : state.RipFolder));
    LinkedFileFilter filter;
    if (!ParseKinds(state.RipKinds, filter)) filter = LinkedFileFilter{};
    media_->setChecked(filter.media);
    linked_->setChecked(filter.linked);
    links_->setChecked(filter.link);
    extensions_->setText(ToQString(state.RipExtensions));
    if (exec() != QDialog::Accepted) return false;
    state.RipFolder = folder_->text().trimmed().toStdString();
    std::string kinds;
    for (auto [box, word] : {std::pair{media_, "media"}, {linked_, "linked"}, {links_, "link"}}) {
        if (!box->isChecked()) continue;
        if (!kinds.empty()) kinds += ',';
        kinds += word;
    }
    state.RipKinds = kinds.empty() ? "media,linked" : kinds;
    state.RipExtensions = FromQString(extensions_->text().trimmed());
    return true;
}

void SaveLinkedDialog::ChooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), folder_->text());
    if (!chosen.isEmpty()) folder_->setText(chosen);
}

} // namespace qm
