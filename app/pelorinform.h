#pragma once

#include "pages/codeedit.h"
#include "processes/cutscribelist.h"
#include "processes/pointlist.h"
#include "record/definitionrecord.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CodesTab;
class DocumentHistory;
class CutMarkTab;
class MiscSetTab;
class NumericFormatTab;
class Platform;
class PrintTarget;
class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QMenu;
class QUndoStack;
class RadioGroup;
class QFrame;
class QTabWidget;
class QToolBar;
class QToolButton;
class TAboutForm;
namespace kvd { struct Entry; struct FileError; }

// The main window: menus, toolbar, the four tab pages, and the one open document.
class TPelorinForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TPelorinForm(Platform &platform, QWidget *parent = nullptr);
    ~TPelorinForm() override;

    // Document state. Modified follows the history: it is false exactly in the state of the
    // last Open, Save or Save As, and changes only through updateModified().
    bool Modified = false;
    QString CurrentFileName;
    bool PagesLoaded = false;

    const kvd::DefinitionRecord &record() const { return m_record; }
    QString caption() const; // the window title as shown for a clean document

    QWidget *clientArea() const { return m_client; }
    QTabWidget *PageControl = nullptr;
    NumericFormatTab *NumericFormatTabPage = nullptr;
    CutMarkTab *CutMarkTabPage = nullptr;
    CodesTab *CodesTabPage = nullptr;
    MiscSetTab *MiscSetTabPage = nullptr;

    // Opens `path` as Open does after its dialog; false when it could not.
    bool openPath(const QString &path);

    QUndoStack &history() const { return *m_undoStack; }

public slots:
    void OpenClick();
    void FileSaveClick();
    void SaveAsClick();
    void ExitMenuItemClick();
    void FilePrintClick();
    void AboutPelorin1Click();
    void EditUndoClick();
    void EditRedoClick();
    void EditR1C1B1Change(CodeEdit *box, const QString &before, CodeEdit::Change kind);
    void RadGroupImpDecClick(RadioGroup *group, int before);
    void AddCutClick();
    void AddMarkClick();
    void AddPointProcessClick();
    void DelCutProcessClick();
    void DelMarkProcessClick();
    void DelPointProcessClick();
    void CompareWithFileClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildPages();
    void FormShow();
    bool FormCloseQuery();
    void EnableAfterLoad();

    void updateModified();
    void updateRecentFiles();
    // The save-changes prompt, then the file; one that does not open leaves the recent files.
    void openAfterAsking(const QString &path);
    void processCommand(const char *text, const std::function<void()> &command);
    void rememberFile(const QString &path);
    // Sets the other file's values of `entries` into the pages, as one step.
    void takeValues(const kvd::DefinitionRecord &theirs, const std::vector<const kvd::Entry *> &entries);
    void setCaptionPath(const QString &path);
    // The save-changes prompt and its answer; false when the asking command must end.
    bool settleChanges();
    bool save();
    // Whether Save may write: asks when another program changed the file since this
    // window last read or wrote it.
    bool mayReplaceFile();
    std::optional<QString> StoreAllPages(kvd::DefinitionRecord &record);
    // Whether a drag carries one definition file, and its path.
    static std::optional<QString> droppedFile(const QMimeData *data);
    // A drag over the window or one of its boxes; true when it carried files.
    bool handleFileDrag(QDropEvent *event);
    void showFileError(const kvd::FileError &error, const QString &path);
    void showDefaultError(const QString &message);
    // Prints the client area's image as a job of its own, or onto the current page of an
    // open job when `ownJob` is false. Returns the printing layer's message, empty on success.
    QString PrintWindowImage(PrintTarget &printer, bool ownJob);

    Platform &m_platform;
    kvd::DefinitionRecord m_record;
    // The record as Open read it: every store starts from it, so that the same pages
    // always write the same bytes, whatever was saved in between.
    kvd::DefinitionRecord m_readRecord;
    // The file's first bytes as this window last read or wrote them.
    QByteArray m_fileBytes;
    bool m_shown = false;
    bool m_printing = false;
    bool m_exiting = false; // Exit has settled the changes; the close does not ask again

    QWidget *m_client = nullptr;
    QFrame *m_bevel = nullptr;
    QToolBar *m_toolBar = nullptr;
    QToolButton *m_openButton = nullptr;
    QToolButton *m_fileSaveBtn = nullptr;
    QToolButton *m_printBtn = nullptr;
    QAction *m_fileSave = nullptr;
    QAction *m_saveAs = nullptr;
    QAction *m_filePrint = nullptr;
    QAction *m_compare = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QMenu *m_fileMenu = nullptr;
    QList<QAction *> m_recentActions; // the recent files and the separator after them
    QStringList m_unrecorded;         // opened or saved, not yet in the recent files

    std::optional<CutScribeList> m_cutScribe;
    std::optional<PointList> m_points;
    TAboutForm *m_aboutForm = nullptr;
    QUndoStack *m_undoStack = nullptr;
    std::unique_ptr<DocumentHistory> m_history;
};
