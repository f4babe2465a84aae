#include "app/SupportBundleDialog.h"

#include "core/Messages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace w = msg::window;

SupportBundleDialog::SupportBundleDialog(Collect collect, QWidget* parent)
    : QDialog(parent), collect_(std::move(collect)) {
    setObjectName(QStringLiteral("frmSupportBundle"));
    setWindowTitle(w::supportCaption);
    auto* intro = new QLabel(w::supportIntro, this);
    intro->setWordWrap(true);
    lstFiles = new QListWidget(this);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    chkImages = new QCheckBox(w::supportWithImages, this);
    chkImages->setObjectName(QStringLiteral("chkImages"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    btnSave = buttons->addButton(w::supportSaveButton, QDialogButtonBox::AcceptRole);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(chkImages, &QCheckBox::toggled, this, [this] { gather(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(lstFiles);
    layout->addWidget(chkImages);
    layout->addWidget(buttons);
    resize(560, 360);
    gather();
}

void SupportBundleDialog::gather() {
    bundle_ = collect_(chkImages->isChecked());
    lstFiles->clear();
    lstFiles->addItem(support::kManifestName + QStringLiteral("  - what is included and masked"));
    for (const support::Item& i : bundle_.items)
        lstFiles->addItem(
            QStringLiteral("%1  - %2 (%3 bytes)").arg(i.name, i.what).arg(i.data.size()));
}

QStringList SupportBundleDialog::listedNames() const {
    QStringList names;
    for (int i = 0; i < lstFiles->count(); ++i)
        names << lstFiles->item(i)->text().section(QStringLiteral("  - "), 0, 0);
    return names;
}
