#pragma once

#include "app/CaptionState.h"
#include "app/ControlTables.h"
#include "app/ProportionalLayout.h"
#include "editor/FrequencyRules.h"
#include "editor/SerialOutputRules.h"
#include "image/ParamImage.h"
#include "protocol/OperationHost.h"
#include "settings/EditSession.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class DeviceSide;
class FieldHooks;
class FileController;
class SettingsBinder;
class UndoController;
class LinkedPortField;
class PageTab;
class PairMaskEdit;
class TfrmConn;
class UserSeam;
namespace settings {
struct Differences;
}
class WindowMemory;

// The main window `frmAir`: the parameter image and everything that shows and edits it, the
// menus, the status bar with the progress bar, and the table files. Controls carry the
// names by which the sign's technicians and the rules know them; like controls are told
// apart by their Tag (ControlTables).
class TfrmAir : public QMainWindow, public OperationHost {
    Q_OBJECT
  public:
    struct Options {
        // The folder of "default.tbl" and the start of every file dialog; the working
        // directory when empty.
        QString startDirectory;
        // Who shows messages and asks questions; the window's own message boxes when null.
        UserSeam* seam = nullptr;
        // The window opens maximised; a picture or a test wants the design size instead.
        bool maximise = true;
        // Serial devices to offer for the link beside the ones the system lists.
        QStringList extraPorts;
        // What is remembered between runs; the user's own settings when empty.
        QString settingsFile;
    };

    static constexpr int kDesignWidth = 1024;
    static constexpr int kDesignHeight = 768;

    explicit TfrmAir(const Options& options);
    TfrmAir() : TfrmAir(Options{}) {}
    ~TfrmAir() override;

    // --- Shared state ---------------------------------------------------------------------
    settings::EditSession& session() { return session_; }
    const settings::EditSession& session() const { return session_; }
    ParamImage& image() { return image_; }
    const ParamImage& image() const { return image_; }
    UserSeam& seam() { return *seam_; }
    QString startDirectory() const;
    QString currentTableFile() const;
    int selectedCapcode() const { return selectedCapcode_; }
    quint8 bandMultiplier() const { return tuning_.bandMultiplier; }
    void setBandMultiplier(quint8 m) { tuning_.bandMultiplier = m; }
    quint32 channelStep() const { return tuning_.channelStep; }
    void setChannelStep(quint32 step) { tuning_.channelStep = step; }
    double periodScale() const { return periodScale_; }
    const ControlTables& tables() const { return tables_; }
    const ProportionalLayout& designLayout() const { return layout_; }
    QStringList extraPorts() const { return extraPorts_; }

    // A control of the window (not of a dialog) by its objectName, or null.
    template <class T = QWidget> T* control(const QString& name) const {
        return centralWidget()->findChild<T*>(name);
    }
    // A menu item or menu (its menuAction) by objectName, or null.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // Runs a handler; an error escaping it is shown in the standard error box and the
    // window goes on.
    void guard(const std::function<void()>& handler);

    // --- Binding between image and controls (SettingsBinder) ---------------------------------
    SettingsBinder& binder() { return *binder_; }
    // Every control shown again from the image (OperationHost: after a read).
    void refreshFromImage() override;

    // --- Status bar and progress -------------------------------------------------------------
    void setStatusText(const QString& text);
    QString statusText() const;
    void setProgressMax(int maximum);
    void setProgress(int position);
    void advanceProgress(int by);
    QProgressBar* progressBar() const { return progressBar_; }

    // --- The parts --------------------------------------------------------------------------
    // Table files, the caption and "Open Recent" (FileController).
    FileController& files() { return *files_; }
    const FileController& files() const { return *files_; }
    // Undo and redo of the committed edits.
    UndoController& undo() { return *undo_; }
    const UndoController& undo() const { return *undo_; }
    // The serial port, the exchange state, the operations and the exchange lock.
    DeviceSide& device() { return *device_; }

    // Opens a named table file as File > Open does after its dialog.
    bool openTableFileNamed(const QString& name);
    // Shows how the sign's settings differ from the window's; tests replace it so no dialog
    // opens (BackupMenu.cpp).
    std::function<void(const settings::Differences&)> showDifferences;

    // --- Device side (OperationHost) ----------------------------------------------------------
    void collectPendingRecord() override;
    void setWriteEnabled(bool on) override;
    void enablePager() override;
    void setPagerEnabled(bool on);
    // The status bar's field for the linked port (LinkedPortField).
    void lineLinked(const QString& port) override;
    void firmwareIdentified(const QString& idText) override;
    void lineLost() override;
    // Verify's differences, sign against window, in the Compare dialog's columns; returns the
    // lines left for a message (bytes that no setting shows).
    QStringList showVerifyDifferences(const QByteArray& sign, const QByteArray& window);
    LinkedPortField* linkedPortField() const { return linkedPort_; }

    // The Connection dialog, created at start-up after the main window; "Link(F6)" opens it.
    TfrmConn* createConnectionDialog();
    TfrmConn* frmConn() const;
    // True while a read, write, verify, firmware check or the Connection dialog holds the
    // line; everything that could start another exchange or change the image is then off.
    bool exchangeRunning() const;

    // Help > "Save Support Bundle..." (HelpMenu.cpp): where the zip goes, asked after the
    // dialog that lists its files; tests replace it so no file dialog opens.
    std::function<QString(const QString& folder)> askBundleFileName;

    // Run at the first show, before the first refresh (the LED sign command table).
    std::function<void()> initialiseCommandTable;

    // Runs one exchange under the device side's lock (DeviceSide::run). The side tools send
    // through it too.
    void runExchange(const std::function<void()>& exchange);

    // --- Unsaved changes, undo and redo, what is remembered (UnsavedChanges.cpp) ------------
    // Before unsaved settings are replaced or closed: asks to save them; false to stay.
    bool keepOrDropEdits();
    WindowMemory& memory() { return *memory_; }
    void Undo1Click();
    void Redo1Click();

  public slots:
    // Menus
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void NormalMode1Click();
    // Page tabs
    void stcCodeClick();
    void stcFeaturesClick();
    // Device operations (DeviceMenu.cpp)
    void Read1Click();
    void Write1Click();
    void Verify1Click();
    void CheckFirmware1Click();
    // Backups and the comparison with the sign (BackupMenu.cpp)
    void OpenBackup1Click();
    void Backups1Click();
    void CompareWithSign1Click();
    void btnLink0EClick();
    void Link1Click() { btnLink0EClick(); }
    // Access-code dialogs (AccessMenu.cpp)
    void Admin1Click();
    void LEDSignCommand1Click();
    // Help (HelpMenu.cpp)
    void SupportBundle1Click();
    void About1Click();

    // The lists whose rules are the window's own; every other box and list runs its setting's.
    void cboScalerClick();
    void ComboBox1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Layout (MainWindowLayout.cpp)
    void buildControls(QWidget* form);
    void buildFrequency(QWidget* page);
    void buildCapcodes(QWidget* page);
    void buildFeatures(QWidget* page);
    void buildOutputFeatures(QWidget* page);
    void buildSerialPage(QWidget* page);
    void buildFunctionBit(QWidget* page, int f);
    void buildBottom(QWidget* form);
    void buildMenus();
    void buildBackupItems(QMenu* file, QAction* fileBefore, QMenu* pager);
    bool backUpBeforeWrite() const;
    // Reads the sign's settings and shows how they differ from mine() (named mineCaption).
    void compareSignWith(const std::function<ParamImage()>& mine, const QString& mineCaption);
    // The choice of "Back Up Before Write" is remembered between runs (BackupMenu.cpp).
    void rememberBackupChoice();
    void buildStatusBar();
    void buildHelpMenu();
    void buildBinder();
    void applyCreationStates();

    // Handlers of the window itself
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose(); // DeviceMenu.cpp: closes the serial port
    void FormMouseMove();
    void StatusBar1DrawPanel();

    void buildExchangeLock();

    void setSerialPageEnabled(bool on);
    void setSerialCaptionsColour(bool on);
    // The serial output page as its boxes in the session have it.
    void showSerialPage(const serialrules::SerialPageEnables& page);
    QString defaultAskOpenFileName(const QString& startDirectory);
    QString defaultAskSaveFileName(const QString& startDirectory);

    // The window's own controls. Their objectNames are the ones the sign's technicians and the
    // setting rows know them by (cboDft, edtFreq, CheckBox7, grpPara); like controls are in
    // tables_, and the binder finds every setting's control by its objectName.
    QGroupBox* capcodePage_;
    QGroupBox* serialPage_;
    PageTab* capcodeTab_;
    PageTab* featuresTab_;
    QLabel* fileNameLabel_;
    QCheckBox* testModeBox_;
    QGroupBox* outputFeaturesGroup_;
    QGroupBox* serialOutputGroup_;
    QComboBox* capcodeSelector_;
    QFrame* uartPanel_;
    std::array<QGroupBox*, layout::kFunctionBits> functionBitGroups_{}; // grpFunA..grpFunD
    // Link, focus sink, status
    QPushButton* linkButton_;
    QLineEdit* focusSink_;
    QStatusBar* statusBar_;
    QProgressBar* progressBar_;

    // The image with the state beside it and what the boxes and lists hold; the window shows
    // it and hands every box's and list's change to it. The references name its parts as the
    // handlers have always named them.
    settings::EditSession session_;
    ParamImage& image_ = session_.image();
    freqrules::Tuning& tuning_ = session_.tuning(); // bandMultiplier and channelStep
    double& periodScale_ = session_.periodScale();
    int& selectedCapcode_ = session_.selectedCapcode();
    std::unique_ptr<UserSeam> ownSeam_;
    UserSeam* seam_ = nullptr;
    QStringList extraPorts_;
    bool shown_ = false;
    ControlTables tables_;
    SettingsBinder* binder_ = nullptr; // the boxes', lists' and edits' rules
    ProportionalLayout layout_;
    QWidget* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    LinkedPortField* linkedPort_ = nullptr;

    // The parts; DeviceMenu.cpp holds the device side's handlers.
    std::unique_ptr<WindowMemory> memory_;
    std::unique_ptr<DeviceSide> device_;
    std::unique_ptr<FileController> files_;
    std::unique_ptr<UndoController> undo_;

    // Unsaved changes and undo (UnsavedChanges.cpp, RecentFiles.cpp)
    void buildParts(const Options& options);
    void buildSessionSupport(const Options& options);
    void startSession();
    void afterHandler();
    void updateEditActions(bool canUndo, bool canRedo);
    void fillRecentMenu();
    void rememberWindow();
    int guardDepth_ = 0;
};
