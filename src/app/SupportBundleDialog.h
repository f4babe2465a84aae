#pragma once

#include "support/SupportBundle.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;

// Help > "Save Support Bundle...": lists every file the bundle will hold, with what it is and
// how big, before anything is saved. The box for the backed-up images gathers the bundle
// again with or without them.
class SupportBundleDialog : public QDialog {
    Q_OBJECT
  public:
    using Collect = std::function<support::Bundle(bool withImages)>;
    SupportBundleDialog(Collect collect, QWidget* parent = nullptr);

    const support::Bundle& bundle() const { return bundle_; }
    // The names as listed, MANIFEST.txt first.
    QStringList listedNames() const;

    QListWidget* lstFiles;
    QCheckBox* chkImages;
    QPushButton* btnSave;

  private:
    void gather();

    Collect collect_;
    support::Bundle bundle_;
};
