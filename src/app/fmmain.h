// fmMain: the program's only window, with every control, its start-up and its command handlers.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <QLabel>
#include <QWidget>

#include "app/passsession.h"
#include "intake/pathintake.h"
#include "rename/namegenerator.h"
#include "intake/roworder.h"
#include "update/versionfile.h"

class QMenu;
class QMimeData;
class QProgressBar;
class QRadioButton;
class QTimer;
class QFrame;
class iButton;
class ClickableLabel;
class FolderCheck;
class FolderIntake;
class PassInputGuard;
class PlatformServices;
class RenameList;
class RenameListView;
class TextBox;
class UpdateChecker;

/// What the window needs from outside: the platform services and the addresses it talks to.
struct WindowOptions {
    PlatformServices* services = nullptr; // null: the real dialogs, beep and browser
    UpdateDefaults addresses = UpdateDefaults::builtIn(); // update server, home page, default texts
    bool checkForUpdates = true; // ask the update server once, shortly after start-up
    int updateTimeoutMs = 10000; // the update check gives up after this long
    std::function<void(int step)> passStepHook; // tests: called on the pass's thread before each move
};

class fmMain : public QWidget {
    Q_OBJECT

public:
    explicit fmMain(const WindowOptions& options = defaultOptions(), QWidget* parent = nullptr);
    ~fmMain() override;

    /// The built-in addresses and the real platform services.
    static WindowOptions defaultOptions();

    RenameList* model() const { return m_list; }
    PlatformServices& services() const { return *m_services; }
    /// The plan fields as they stand, read into the generator's settings.
    PlanSettings planSettings() const;

    /// Whether a rename or restore is under way (it runs off the window's thread).
    bool isPassRunning() const;
    /// Whether folders chosen are still being listed: their rows, and what was chosen after them, are not
    /// in the list yet. foldersAdded() tells when they are.
    bool isAddingFolders() const;

    /// Adds `paths` as the command line names them, in that order: a folder as 添加文件夹 adds it (listed off
    /// the window's thread), a file as 添加文件 does. Returns the paths that add nothing.
    QList<intake::SkippedPath> addPaths(const QStringList& paths);

    /// Sets the credit link's text; the link grows to the left.
    void setCreditText(const QString& text);

    /// The window's text font: 宋体 9 pt, with families pinned so Simplified Chinese glyphs are used.
    static QFont windowFont();

signals:
    /// A rename or restore has ended and its outcomes are in the list.
    void passFinished();
    /// The marks of the rows that would fail now match the list as it stands.
    void newNamesChecked();
    /// Every folder and file chosen so far is in the list, and the new names are refreshed.
    void foldersAdded();

public slots:
    void RefreshNewNames();
    /// Judges every row as the pass would, against what is known of the folders, and marks the rows that
    /// would fail. The judging runs off the window's thread; newNamesChecked() tells when the marks are in.
    void CheckNewNames();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Controls, named as the window's design names them; each carries its name as objectName.
    ClickableLabel* Image1 = nullptr;
    ClickableLabel* picLogo = nullptr;
    std::array<QLabel*, 23> lbInfo {};
    ClickableLabel* lbNewVersion = nullptr;
    ClickableLabel* lbADR = nullptr;
    QLabel* lbTag = nullptr;
    QLabel* lbSoftUrl = nullptr;
    QLabel* lbADUR = nullptr;
    QLabel* lbTListCount = nullptr;
    ClickableLabel* btDIY = nullptr;
    ClickableLabel* btReplace = nullptr;
    std::array<ClickableLabel*, 5> picMenu {};
    ClickableLabel* planDIY = nullptr;
    ClickableLabel* planReplace = nullptr;
    ClickableLabel* Picture8 = nullptr;
    QFrame* Line1 = nullptr;
    TextBox* txtNewName1 = nullptr;
    TextBox* txtNewName2 = nullptr;
    TextBox* txtNewNameF = nullptr;
    TextBox* txtNewName3 = nullptr;
    TextBox* txtReplaceOld = nullptr;
    TextBox* txtReplaceNew = nullptr;
    TextBox* txtAdd1 = nullptr;
    TextBox* txtAdd2 = nullptr;
    TextBox* txtExp = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    RenameListView* ListReName = nullptr;
    iButton* btOpenFiles = nullptr;
    iButton* btOpenFolder = nullptr;
    iButton* btReName = nullptr;
    iButton* btCallBack = nullptr;
    iButton* btSelectUp = nullptr;
    iButton* btSelectDown = nullptr;
    iButton* btSelectDelete = nullptr;
    iButton* btListClear = nullptr;
    iButton* btMin = nullptr;
    iButton* btClose = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* mnuListOrder = nullptr; // the list's right-click menu: the two sorts
    // Shown in place of the tip line while a pass runs longer than a moment.
    QLabel* lbProgress = nullptr;
    QProgressBar* picProgress = nullptr;
    iButton* btCancel = nullptr;

private slots:
    // Handlers, named after the control and event they answer.
    // Plan choice and plan fields.
    void btDIY_Click();
    void btReplace_Click();
    void Option1_Click();
    void Option2_Click();
    void txtExp_Change();
    void txtNewName1_Change();
    void txtNewName3_Change();
    void txtReplaceOld_Change();
    void txtReplaceNew_Change();
    void txtAdd1_Change();
    void txtAdd2_Change();
    void txtNewName2_KeyPress(int& keyAscii);
    void txtNewNameF_KeyPress(int& keyAscii);
    void txtNewName2_GotFocus();
    void txtNewName2_Change();
    void txtNewNameF_Change();

    // Window chrome and links.
    void btMin_Click();
    void btClose_Click();
    void picLogo_Click();
    void lbADR_Click();
    void lbNewVersion_Click();
    void Timer1_Timer();
    void Image1_MouseMove(Qt::MouseButtons buttons);
    void CheckNewVersion();

    // Files into the list, their order, and the renaming on disk.
    void btOpenFiles_Click();
    void btOpenFolder_Click();
    void btSelectUp_Click();
    void btSelectDown_Click();
    void btSelectDelete_Click();
    void btListClear_Click();
    void ListReName_OLEStartDrag();
    void ListReName_OLEDragOver(const QPoint& point);
    void ListReName_OLEDragDrop(const QMimeData& data, const QPoint& point);
    void ListReName_OLECompleteDrag();
    void btReName_Click();
    void btCallBack_Click();
    void ListReName_ContextMenu(const QPoint& point);
    void mnuSortByName_Click();
    void mnuSortByTime_Click();
    /// Stops the pass under way before its next move (Esc does the same).
    void btCancel_Click();

    /// btOpenFolder_Click after the folder picker: adds the folder's visible files and refreshes the names.
    void addFolderRows(const QString& folder);

private:
    void Form_Load();
    void buildLayout();
    void buildTopBand();
    void buildPlanPanels();
    void buildListBand();
    void buildBottomBand();
    void nameControls();
    /// Loads every skin picture again for a screen of density `ratio`.
    void reloadPictures(qreal ratio);
    void connectHandlers();
    void connectFileHandlers();
    void connectIntake();
    void connectSortMenu();
    void applyOrderResult(const intake::OrderResult& result);
    void resetDropMark();
    void setTabOrder();
    QLabel* addLabel(
        int index, QWidget* parent, const QRect& geometry, const QString& text, const QColor& colour, bool autoSize);
    QLabel* styleLabel(QLabel* label, const QRect& geometry, const QString& text, const QColor& colour, bool autoSize);
    TextBox* addTextBox(QWidget* parent, const QRect& geometry);
    iButton* addButton(const QString& skin, const QRect& geometry);
    void checkFileNameField(TextBox* field);
    void filterDigits(int& keyAscii);
    bool keepDigitsOnly(TextBox* field);
    void openAddress(const QString& address);
    void showVersionInfo(const VersionInfo& info);
    void buildPassControls();
    void connectPassHandlers();
    void startPass(PassSession::Kind kind);
    void showPassProgress(const QString& caption, int done, int total);
    void passStopped(bool closeWindow);
    /// Asked when the window is closed during a pass; true: stop the pass and close.
    bool confirmCloseDuringPass();
    void showTip();
    /// How wide the tip line may grow before it reaches 开始更名.
    int tipWidth() const;

    WindowOptions m_options;
    std::unique_ptr<PlatformServices> m_ownServices;
    PlatformServices* m_services = nullptr;
    RenameList* m_list = nullptr;
    UpdateChecker* m_updateChecker = nullptr;
    Plan m_plan = Plan::Numbering; // the plan whose panel is shown
    std::optional<int> m_markedRow; // the row the drag-over highlighted last (0-based); lbTag shows it 1-based
    bool m_moveArmed = false; // a left press on the background has not asked for its window move yet

    // The pass, and what the window knows of the listed folders: the objects that decide, wired here.
    PassSession* m_session = nullptr;
    FolderCheck* m_folderCheck = nullptr;
    FolderIntake* m_intake = nullptr; // folders and files on their way into the list
    PassInputGuard* m_inputGuard = nullptr; // while a pass runs
    bool m_callBackWasEnabled = false; // 还原 before the pass, as it is again after a restore
    bool m_wasInactive = false;
    QString m_designedTip;
};
