#pragma once

#include "processes/cutscribelist.h"
#include "processes/pointlist.h"
#include "record/definitionrecord.h"

#include <QMainWindow>

#include <optional>

class CodesTab;
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
class QFrame;
class QTabWidget;
class QToolBar;
class QToolButton;
class TAboutForm;
namespace kvd { struct FileError; }

// The main window: menus, toolbar, the four tab pages, and the one open document.
class TPelorinForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TPelorinForm(Platform &platform, QWidget *parent = nullptr);
    ~TPelorinForm() override;

    // Document state. Modified changes only through setModified().
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

    // Opens `path` as Open does after its dialog.
    void openPath(const QString &path);

public slots:
    void OpenClick();
    void FileSaveClick();
    void SaveAsClick();
    void ExitMenuItemClick();
    void FilePrintClick();
    void AboutPelorin1Click();
    void EditR1C1B1Change();
    void RadGroupImpDecClick();
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

    void setModified(bool modified);
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
    // The file's first bytes as this window last read or wrote them.
    QByteArray m_fileBytes;
    bool m_shown = false;
    bool m_printing = false;

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

    std::optional<CutScribeList> m_cutScribe;
    std::optional<PointList> m_points;
    TAboutForm *m_aboutForm = nullptr;
};
