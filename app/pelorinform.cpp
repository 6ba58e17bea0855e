#include "pelorinform.h"

#include "aboutform.h"
#include "artwork.h"
#include "compare.h"
#include "history.h"
#include "recentfiles.h"
#include "quietaccessibility.h"
#include "pages/codestab.h"
#include "pages/cutmarktab.h"
#include "pages/miscsettab.h"
#include "pages/numericformattab.h"
#include "pages/radiogroup.h"
#include "platform/platform.h"
#include "record/fieldlist.h"
#include "record/kvdfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QMenuBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 654;
constexpr int ClientHeight = 499;
constexpr int BevelHeight = 2;
constexpr int ToolBarHeight = 29;

const QString kTitlePrefix = QStringLiteral("Pelorin - ");

// One row per menu item, separators included, so an item's index in its menu is its
// row's position here.
struct MenuItem {
    const char *objectName;
    const char *caption; // null for a separator
    void (TPelorinForm::*handler)();
    bool enabledAtStart;
};

struct Menu {
    const char *objectName;
    const char *caption;
    std::initializer_list<MenuItem> items;
};

const Menu kMenus[] = {
    {"FileMenuItem", "&File",
     {{"Open", "&Open...", &TPelorinForm::OpenClick, true},
      {"N1", nullptr, nullptr, false},
      {"FileSave", "&Save", &TPelorinForm::FileSaveClick, false},
      {"SaveAs", "Save &As...", &TPelorinForm::SaveAsClick, false},
      {"N2", nullptr, nullptr, false},
      {"FilePrint", "&Print", &TPelorinForm::FilePrintClick, false},
      {"N3", nullptr, nullptr, false},
      {"ExitMenuItem", "E&xit", &TPelorinForm::ExitMenuItemClick, true}}},
    {"EditMenuItem", "&Edit",
     {{"EditUndo", "&Undo", &TPelorinForm::EditUndoClick, false},
      {"EditRedo", "&Redo", &TPelorinForm::EditRedoClick, false}}},
    {"AddMenuItem", "&Add",
     {{"AddCut", "&Cut Process", &TPelorinForm::AddCutClick, false},
      {"AddMark", "&Scribe Process", &TPelorinForm::AddMarkClick, false},
      {"N4", nullptr, nullptr, false},
      {"AddPointProcess", "&Point Process", &TPelorinForm::AddPointProcessClick, false}}},
    {"DeleteMenuItem", "&Delete",
     {{"DelCutProcess", "&Cut Process", &TPelorinForm::DelCutProcessClick, false},
      {"DelMarkProcess", "&Scribe Process", &TPelorinForm::DelMarkProcessClick, false},
      {"N5", nullptr, nullptr, false},
      {"DelPointProcess", "&Point Process", &TPelorinForm::DelPointProcessClick, false}}},
    {"ToolsMenuItem", "&Tools",
     {{"CompareWithFile", "&Compare with File...", &TPelorinForm::CompareWithFileClick, false}}},
    {"HelpMenuItem", "&Help", {{"AboutPelorin1", "&About Pelorin...", &TPelorinForm::AboutPelorin1Click, true}}},
};

struct ToolButton {
    const char *objectName;
    int image;
    const char *name; // what a screen reader says
    const char *hint;
    void (TPelorinForm::*handler)();
    bool enabledAtStart;
};

const ToolButton kToolButtons[] = {
    {"OpenButton", 0, "Open", "Open KVD file", &TPelorinForm::OpenClick, true},
    {"FileSaveBtn", 1, "Save", "Save KVD file", &TPelorinForm::FileSaveClick, false},
    {"PrintBtn", 2, "Print", "Print", &TPelorinForm::FilePrintClick, false},
};

} // namespace

TPelorinForm::TPelorinForm(Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_platform(platform)
{
    deferAccessibilityInterfaces();
    setObjectName(QStringLiteral("PelorinForm"));
    // System menu and minimise only: the window keeps its size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setFixedSize(ClientWidth, ClientHeight);
    m_client->setAutoFillBackground(true);
    setCentralWidget(m_client);

    buildMenus();
    buildToolBar();
    buildPages();

    auto *layout = new QVBoxLayout(m_client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bevel);
    layout->addWidget(m_toolBar);
    layout->addWidget(PageControl);

    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    setAcceptDrops(true);
    setWindowTitle(kTitlePrefix + QStringLiteral("<untitled>[*]"));

    m_aboutForm = new TAboutForm(this);
    prepareAccessibility(*this);
}

TPelorinForm::~TPelorinForm()
{
    // The stack empties itself as it goes, after the buttons it would update; the widgets
    // going move the focus after the history is gone.
    m_undoStack->disconnect();
    disconnect(qApp, nullptr, this, nullptr);
}

void TPelorinForm::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const Menu &menu : kMenus) {
        QMenu *qmenu = bar->addMenu(QString::fromLatin1(menu.caption));
        qmenu->setObjectName(QLatin1String(menu.objectName));
        for (const MenuItem &item : menu.items) {
            QAction *action = item.caption ? qmenu->addAction(QString::fromLatin1(item.caption)) : qmenu->addSeparator();
            action->setObjectName(QLatin1String(item.objectName));
            if (!item.caption)
                continue;
            action->setEnabled(item.enabledAtStart);
            connect(action, &QAction::triggered, this, item.handler);
        }
    }
    m_fileSave = findChild<QAction *>(QStringLiteral("FileSave"));
    m_saveAs = findChild<QAction *>(QStringLiteral("SaveAs"));
    m_filePrint = findChild<QAction *>(QStringLiteral("FilePrint"));
    m_compare = findChild<QAction *>(QStringLiteral("CompareWithFile"));
    m_undo = findChild<QAction *>(QStringLiteral("EditUndo"));
    m_redo = findChild<QAction *>(QStringLiteral("EditRedo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setShortcut(QKeySequence::Redo);
    m_fileMenu = bar->findChild<QMenu *>(QStringLiteral("FileMenuItem"));
    // Read when the menu opens, so that another window's files show too.
    connect(m_fileMenu, &QMenu::aboutToShow, this, &TPelorinForm::updateRecentFiles);

    m_undoStack = new QUndoStack(this);
    // "&Undo Typing in Kerf Value": the step's name, an ampersand in it shown as one.
    const auto named = [](const char *command, const QString &step) {
        const QString caption = QLatin1String(command);
        return step.isEmpty() ? caption : caption + QLatin1Char(' ') + QString(step).replace(QLatin1Char('&'), QStringLiteral("&&"));
    };
    connect(m_undoStack, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::undoTextChanged, m_undo, [this, named](const QString &step) { m_undo->setText(named("&Undo", step)); });
    connect(m_undoStack, &QUndoStack::redoTextChanged, m_redo, [this, named](const QString &step) { m_redo->setText(named("&Redo", step)); });
    connect(m_undoStack, &QUndoStack::cleanChanged, this, &TPelorinForm::updateModified);
}

void TPelorinForm::buildToolBar()
{
    m_bevel = new QFrame(m_client);
    m_bevel->setObjectName(QStringLiteral("Bevel"));
    m_bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_bevel->setFixedHeight(BevelHeight);

    m_toolBar = new QToolBar(m_client);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setFixedHeight(ToolBarHeight);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setContentsMargins(0, 0, 0, 0);
    QToolButton **members[] = {&m_openButton, &m_fileSaveBtn, &m_printBtn};
    int i = 0;
    for (const ToolButton &b : kToolButtons) {
        auto *button = new QToolButton(m_toolBar);
        button->setObjectName(QLatin1String(b.objectName));
        button->setIcon(toolBarIcon(b.image));
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setAccessibleName(QString::fromLatin1(b.name));
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        button->setEnabled(b.enabledAtStart);
        connect(button, &QToolButton::clicked, this, b.handler);
        m_toolBar->addWidget(button);
        *members[i++] = button;
    }
}

void TPelorinForm::buildPages()
{
    PageControl = new QTabWidget(m_client);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setUsesScrollButtons(false);

    NumericFormatTabPage = new NumericFormatTab(PageControl);
    CutMarkTabPage = new CutMarkTab(PageControl);
    CodesTabPage = new CodesTab(PageControl);
    MiscSetTabPage = new MiscSetTab(PageControl);
    const struct {
        TabPage *page;
        const char *objectName;
        const char *caption;
    } pages[] = {
        {NumericFormatTabPage, "NumericFormatTab", "Numeric Format"},
        {CutMarkTabPage, "CutMarkTab", "Cutting/Scribing"},
        {CodesTabPage, "CodesTab", " Point Process Codes"},
        {MiscSetTabPage, "MiscSetTab", "Misc. Settings"},
    };
    for (const auto &p : pages) {
        p.page->setObjectName(QLatin1String(p.objectName));
        // A disabled page can still be brought to the front by its tab.
        p.page->setEnabled(false);
        PageControl->addTab(p.page, QString::fromLatin1(p.caption));
        connect(p.page, &TabPage::boxEdited, this, &TPelorinForm::EditR1C1B1Change);
        connect(p.page, &TabPage::groupChanged, this, &TPelorinForm::RadGroupImpDecClick);
        connect(p.page, &TabPage::historyKey, this, [this](bool redo) { redo ? EditRedoClick() : EditUndoClick(); });
        // A file dropped onto a box opens like one dropped anywhere else on the window;
        // dropped text still goes into the box.
        for (QLineEdit *box : p.page->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
            box->installEventFilter(this);
    }

    // Looked up in the menus alone: the whole window holds over a thousand objects by now.
    auto action = [this](const char *name) { return menuBar()->findChild<QAction *>(QLatin1String(name)); };
    m_cutScribe.emplace(*CutMarkTabPage, action("AddCut"), action("AddMark"), action("DelCutProcess"),
                        action("DelMarkProcess"));
    m_points.emplace(*CodesTabPage, action("AddPointProcess"), action("DelPointProcess"));
    m_history = std::make_unique<DocumentHistory>(*m_undoStack, *PageControl, *NumericFormatTabPage, *m_cutScribe,
                                                  *m_points);
    // A run of typing ends when its box loses the focus.
    connect(qApp, &QApplication::focusChanged, this, [this] { m_history->endTyping(); });
}

QString TPelorinForm::caption() const
{
    return windowTitle().remove(QStringLiteral("[*]"));
}

void TPelorinForm::setCaptionPath(const QString &path)
{
    setWindowTitle(kTitlePrefix + QDir::toNativeSeparators(path) + QStringLiteral("[*]"));
}

void TPelorinForm::updateModified()
{
    const bool modified = !m_undoStack->isClean();
    Modified = modified;
    m_fileSaveBtn->setEnabled(modified);
    m_fileSave->setEnabled(modified);
    setWindowModified(modified);
}

void TPelorinForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Only the first show: a later one (after minimising) must not drop the loaded state.
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TPelorinForm::FormShow()
{
    PagesLoaded = false;
    updateModified();
    PageControl->setCurrentIndex(0);
}

void TPelorinForm::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TPelorinForm::FormCloseQuery()
{
    return m_exiting || settleChanges();
}

// Every change the user makes is a step of the history; what loads and the history itself
// set is none.
void TPelorinForm::EditR1C1B1Change(CodeEdit *box, const QString &before, CodeEdit::Change kind)
{
    if (PagesLoaded && !m_history->busy())
        m_history->boxEdited(box, before, kind);
}

void TPelorinForm::RadGroupImpDecClick(RadioGroup *group, int before)
{
    if (PagesLoaded && !m_history->busy())
        m_history->groupChanged(group, before);
}

void TPelorinForm::EditUndoClick()
{
    if (m_undoStack->canUndo())
        m_undoStack->undo();
}

void TPelorinForm::EditRedoClick()
{
    if (m_undoStack->canRedo())
        m_undoStack->redo();
}

bool TPelorinForm::settleChanges()
{
    if (!Modified)
        return true;
    switch (m_platform.askSaveChanges(this, CurrentFileName)) {
    case Platform::Answer::Yes:
        // A failed save ends the asking command, whatever failed: going on would drop
        // the changes the user just asked to keep.
        return save();
    case Platform::Answer::No:
        return true;
    case Platform::Answer::Cancel:
        break;
    }
    return false;
}

void TPelorinForm::OpenClick()
{
    if (!settleChanges())
        return;
    const QString path = m_platform.openFileName(this);
    if (path.isEmpty())
        return;
    openPath(path);
}

bool TPelorinForm::openPath(const QString &path)
{
    // Read into a scratch record: a file that fails to open or read changes nothing.
    kvd::DefinitionRecord read;
    if (const auto error = kvd::readRecordFile(path, read)) {
        showFileError(*error, path);
        return false;
    }
    m_record = read;
    m_readRecord = read;
    m_fileBytes = read.toBytes();
    CurrentFileName = path;
    setCaptionPath(path);
    m_history->endTyping();
    m_undoStack->clear();
    updateModified();

    PagesLoaded = false;
    PageControl->setCurrentIndex(0);
    ResetProcessColumns(*CutMarkTabPage, *CodesTabPage);
    NumericFormatTabPage->LoadNumericFormatTab(m_record);
    m_cutScribe->LoadCutMarkTab(m_record);
    MiscSetTabPage->LoadMiscSetTab(m_record);
    m_points->LoadCodesTab(m_record);
    EnableAfterLoad();
    PagesLoaded = true;
    rememberFile(path);
    return true;
}

void TPelorinForm::EnableAfterLoad()
{
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->widget(i)->setEnabled(true);
    m_saveAs->setEnabled(true);
    m_filePrint->setEnabled(true);
    m_fileSave->setEnabled(false);
    m_fileSaveBtn->setEnabled(false);
    m_printBtn->setEnabled(true);
    m_compare->setEnabled(true);
}

std::optional<QString> TPelorinForm::StoreAllPages(kvd::DefinitionRecord &record)
{
    if (auto error = NumericFormatTabPage->StoreNumericFormatTab(record))
        return error;
    m_cutScribe->StoreCutMarkTab(record);
    m_points->StoreCodesTab(record);
    MiscSetTabPage->StoreMiscSetTab(record);
    return std::nullopt;
}

void TPelorinForm::FileSaveClick()
{
    save();
}

bool TPelorinForm::save()
{
    m_record = m_readRecord;
    if (const auto message = StoreAllPages(m_record)) {
        showDefaultError(*message);
        return false;
    }
    if (!mayReplaceFile())
        return false;
    if (const auto error = kvd::writeRecordInPlace(CurrentFileName, m_record)) {
        showFileError(*error, CurrentFileName);
        return false;
    }
    m_fileBytes = m_record.toBytes();
    m_undoStack->setClean();
    return true;
}

bool TPelorinForm::mayReplaceFile()
{
    // Read-only and apart from the write: a file that cannot be read here is left to the
    // write, which reports it as it always does.
    QFile file(CurrentFileName);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    // Only the record counts: bytes after it are kept by Save anyway.
    if (file.read(kvd::RecordSize) == m_fileBytes)
        return true;
    return m_platform.askReplaceChanges(this, CurrentFileName) == Platform::Answer::Yes;
}

void TPelorinForm::SaveAsClick()
{
    const QString path = m_platform.saveFileName(this);
    if (path.isEmpty())
        return;
    m_record = m_readRecord;
    if (const auto message = StoreAllPages(m_record)) {
        showDefaultError(*message);
        return;
    }
    if (const auto error = kvd::writeRecordNew(path, m_record)) {
        showFileError(*error, path);
        return;
    }
    m_fileBytes = m_record.toBytes();
    CurrentFileName = path;
    setCaptionPath(path);
    m_undoStack->setClean();
    rememberFile(path);
}

void TPelorinForm::CompareWithFileClick()
{
    const QString path = m_platform.openFileName(this);
    if (path.isEmpty())
        return;
    // The other file is only read: one on a read-only share compares as well as any. Only a
    // regular file: opening a named pipe for reading would wait for a writer that never comes.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_platform.errorBox(this, QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened"));
        return;
    }
    const QByteArray bytes = file.read(kvd::RecordSize);
    if (bytes.size() < kvd::RecordSize) {
        showDefaultError(kvd::FileError::ioMessage(kvd::FileError::ReadBeyondEnd));
        return;
    }
    // The pages as they are now, typed values included, stored into a copy: the document
    // and its record stay as they are.
    kvd::DefinitionRecord ours = m_readRecord;
    if (const auto message = StoreAllPages(ours)) {
        showDefaultError(*message);
        return;
    }
    const kvd::DefinitionRecord theirs = kvd::DefinitionRecord::fromBytes(bytes);
    const std::vector<FieldDifference> differences = compareRecords(ours, theirs, NumericFormatTabPage->decimalSeparator());
    CompareDialog dialog(this, path, differences);
    m_platform.runModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    std::vector<const kvd::Entry *> taken;
    for (const int row : dialog.chosenRows())
        taken.push_back(differences[size_t(row)].entry);
    takeValues(theirs, taken);
}

void TPelorinForm::takeValues(const kvd::DefinitionRecord &theirs, const std::vector<const kvd::Entry *> &entries)
{
    struct Kind {
        kvd::Field counter;
        int firstSlot, lastSlot;
        int *index;
        void (TPelorinForm::*add)();
        void (TPelorinForm::*remove)();
        QAction *addItem, *removeItem;
    };
    const auto action = [this](const char *name) { return menuBar()->findChild<QAction *>(QLatin1String(name)); };
    const Kind kinds[] = {
        {kvd::Field::CutProcessIndex, 1, kvd::LastCutSlot, &m_cutScribe->CutIndex, &TPelorinForm::AddCutClick,
         &TPelorinForm::DelCutProcessClick, action("AddCut"), action("DelCutProcess")},
        {kvd::Field::ScribeProcessIndex, kvd::FirstScribeSlot, kvd::LastScribeSlot, &m_cutScribe->ScribeIndex,
         &TPelorinForm::AddMarkClick, &TPelorinForm::DelMarkProcessClick, action("AddMark"), action("DelMarkProcess")},
        {kvd::Field::PointProcessIndex, kvd::FirstPointSlot, kvd::LastPointSlot, &m_points->PointIndex,
         &TPelorinForm::AddPointProcessClick, &TPelorinForm::DelPointProcessClick, action("AddPointProcess"),
         action("DelPointProcess")},
    };
    // Processes added or deleted one at a time, through the commands' own rules, while
    // their menu items allow it.
    const auto setCount = [this](const Kind &k, int count) {
        for (int guard = 0; guard < 8 && *k.index + 1 < count && k.addItem->isEnabled(); ++guard)
            (this->*k.add)();
        for (int guard = 0; guard < 8 && *k.index + 1 > count && k.removeItem->isEnabled(); ++guard)
            (this->*k.remove)();
    };
    m_history->record(QStringLiteral("Take from Compare"), [&] {
        // Counts first, so that a code taken for a column the count would hide still shows.
        for (const kvd::Entry *e : entries)
            for (const Kind &k : kinds)
                if (e->field == k.counter && e->slot == 0)
                    setCount(k, kvd::processCount(theirs, k.counter));
        for (const kvd::Entry *e : entries) {
            kvd::DefinitionRecord value = theirs;
            if (e->slot != 0) {
                for (const Kind &k : kinds)
                    if (e->slot >= k.firstSlot && e->slot <= k.lastSlot && *k.index + 1 < e->slot - k.firstSlot + 1)
                        setCount(k, e->slot - k.firstSlot + 1);
                // A column the other file does not use shows empty there.
                if (!kvd::slotShown(theirs, e->slot))
                    value.setText(kvd::TextField{e->offset, e->size}, QString());
            }
            for (int i = 0; i < PageControl->count(); ++i)
                if (static_cast<TabPage *>(PageControl->widget(i))->loadField(value, e->offset))
                    break;
        }
    });
}

std::optional<QString> TPelorinForm::droppedFile(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    const QString path = urls.first().toLocalFile();
    if (!path.endsWith(QStringLiteral(".kvd"), Qt::CaseInsensitive))
        return std::nullopt;
    return path;
}

bool TPelorinForm::handleFileDrag(QDropEvent *event)
{
    // Drags of text, links included, are the boxes' business.
    const QMimeData *data = event->mimeData();
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls(); // a uri-list may hold no address at all
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    const auto path = droppedFile(data);
    if (!path) {
        event->ignore();
        return true;
    }
    event->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // Opened once the drop is over: the prompt and the boxes of Open are modal, and the
        // program the file came from waits until the drop is answered.
        QMetaObject::invokeMethod(this, [this, file = *path] { openAfterAsking(file); }, Qt::QueuedConnection);
    }
    return true;
}

void TPelorinForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (!handleFileDrag(event))
        event->ignore();
}

void TPelorinForm::dragMoveEvent(QDragMoveEvent *event)
{
    if (!handleFileDrag(event))
        event->ignore();
}

void TPelorinForm::dropEvent(QDropEvent *event)
{
    if (!handleFileDrag(event))
        event->ignore();
}

bool TPelorinForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return handleFileDrag(static_cast<QDropEvent *>(event));
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

void TPelorinForm::ExitMenuItemClick()
{
    if (!settleChanges())
        return;
    m_exiting = true;
    close();
    m_exiting = false;
}

void TPelorinForm::rememberFile(const QString &path)
{
    // Written once the command is over, the files of several commands in one go: the user
    // does not wait for the settings store.
    if (m_unrecorded.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] {
            recentfiles::add(m_unrecorded);
            m_unrecorded.clear();
        }, Qt::QueuedConnection);
    }
    m_unrecorded << QFileInfo(path).absoluteFilePath();
}

void TPelorinForm::updateRecentFiles()
{
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    const QStringList files = recentfiles::load();
    if (files.isEmpty())
        return;
    QAction *exit = m_fileMenu->findChild<QAction *>(QStringLiteral("ExitMenuItem"));
    for (int i = 0; i < files.size(); ++i) {
        auto *action = new QAction(recentfiles::menuText(i + 1, files[i]), m_fileMenu);
        action->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, file = files[i]] { openAfterAsking(file); });
        m_recentActions << action;
    }
    auto *separator = new QAction(m_fileMenu);
    separator->setSeparator(true);
    separator->setObjectName(QStringLiteral("N6"));
    m_recentActions << separator;
    m_fileMenu->insertActions(exit, m_recentActions);
}

void TPelorinForm::openAfterAsking(const QString &path)
{
    if (!settleChanges())
        return;
    // A file that no longer opens has shown why, and leaves the list.
    if (!openPath(path))
        recentfiles::remove(QFileInfo(path).absoluteFilePath());
}

void TPelorinForm::showFileError(const kvd::FileError &error, const QString &path)
{
    if (error.kind == kvd::FileError::NotOpened)
        m_platform.errorBox(this, QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened"));
    else
        showDefaultError(error.message());
}

void TPelorinForm::showDefaultError(const QString &message)
{
    // A message gets a full stop unless it already ends in one or in a character sorting before it.
    QString text = message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        text += QLatin1Char('.');
    m_platform.defaultErrorBox(this, text);
}

// Each command is one step; inside another step (values taken from Compare) it is part of that one.
void TPelorinForm::processCommand(const char *text, const std::function<void()> &command)
{
    if (m_history->busy())
        command();
    else
        m_history->record(QLatin1String(text), command);
}

void TPelorinForm::AddCutClick() { processCommand("Add Cut Process", [this] { m_cutScribe->AddCutClick(); }); }
void TPelorinForm::AddMarkClick() { processCommand("Add Scribe Process", [this] { m_cutScribe->AddMarkClick(); }); }
void TPelorinForm::DelCutProcessClick() { processCommand("Delete Cut Process", [this] { m_cutScribe->DelCutProcessClick(); }); }
void TPelorinForm::DelMarkProcessClick() { processCommand("Delete Scribe Process", [this] { m_cutScribe->DelMarkProcessClick(); }); }
void TPelorinForm::AddPointProcessClick() { processCommand("Add Point Process", [this] { m_points->AddPointProcessClick(); }); }
void TPelorinForm::DelPointProcessClick() { processCommand("Delete Point Process", [this] { m_points->DelPointProcessClick(); }); }
