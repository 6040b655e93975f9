#include "app/PreferencesWindow.h"

#include "app/GlobalHotKeys.h"
#include "app/ServiceSetting.h"
#include "helpers/SaveFolder.h"
#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QLatin1String kHotKeySettings[2] = {SettingsKeys::captureHotKey1, SettingsKeys::captureHotKey2};

QString keyName(const QKeySequence &key)
{
    return key.toString(QKeySequence::PortableText);
}
} // namespace

PreferencesWindow::PreferencesWindow(PreferencesHooks hooks, DesktopServices desktop, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_hooks(std::move(hooks))
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("preferencesWindow"));
    setWindowTitle(tr("Vornik Preferences"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *column = new QVBoxLayout(this);
    column->addWidget(buildServiceRows());
    column->addWidget(buildCaptureRows());
    auto *close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    column->addWidget(close, 0, Qt::AlignRight);
    loadSettings();
    setMinimumWidth(520);
}

PreferencesWindow::~PreferencesWindow()
{
    // QWidget's destructor closes the window, and the edit with the focus then reports
    // editingFinished; by then this class's part (hooks, desktop services) is gone, so
    // nothing of the children may reach it any more. Deleted while open happens when
    // Vornik quits with the window up.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
}

QWidget *PreferencesWindow::withChooser(QLineEdit *edit, void (PreferencesWindow::*choose)())
{
    auto *row = new QWidget;
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(edit, 1);
    auto *button = new QPushButton(tr("Choose…"));
    connect(button, &QPushButton::clicked, this, choose);
    line->addWidget(button);
    return row;
}

QWidget *PreferencesWindow::buildServiceRows()
{
    auto *rows = new QWidget;
    auto *form = new QFormLayout(rows);
    serviceEdit = new QLineEdit;
    serviceEdit->setPlaceholderText(QString::fromLatin1(ServiceConfiguration::kDefaultServiceURL));
    certificateEdit = new QLineEdit;
    certificateEdit->setPlaceholderText(tr("none: the system's certificates only"));
    form->addRow(tr("Sharing service:"), serviceEdit);
    form->addRow(tr("Certificate file:"), withChooser(certificateEdit, &PreferencesWindow::chooseCertificate));
    testButton = new QPushButton(tr("Test"));
    serviceResult = new QLabel;
    serviceResult->setWordWrap(true);
    serviceResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *test = new QWidget;
    auto *line = new QHBoxLayout(test);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(testButton);
    line->addWidget(serviceResult, 1);
    form->addRow(QString(), test);
    connect(serviceEdit, &QLineEdit::editingFinished, this, &PreferencesWindow::storeService);
    connect(certificateEdit, &QLineEdit::editingFinished, this, &PreferencesWindow::storeService);
    connect(testButton, &QPushButton::clicked, this, &PreferencesWindow::testService);
    return rows;
}

QWidget *PreferencesWindow::buildCaptureRows()
{
    auto *rows = new QWidget;
    auto *form = new QFormLayout(rows);
    saveFolderEdit = new QLineEdit;
    saveFolderEdit->setPlaceholderText(SaveFolder::folder());
    form->addRow(tr("Save folder:"), withChooser(saveFolderEdit, &PreferencesWindow::chooseSaveFolder));
    connect(saveFolderEdit, &QLineEdit::editingFinished, this, &PreferencesWindow::storeSaveFolder);
    const QString keyLabels[2] = {tr("Capture hot key:"), tr("Second capture hot key:")};
    for (int which = 0; which < 2; ++which) {
        auto *edit = new QKeySequenceEdit;
        edit->setObjectName(QStringLiteral("hotKeyEdit%1").arg(which + 1));
        hotKeyEdits[which] = edit;
        auto *off = new QPushButton(tr("No key"));
        auto *row = new QWidget;
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(edit, 1);
        line->addWidget(off);
        form->addRow(keyLabels[which], row);
        // One combination is a hot key: recording ends with the first, and the key is
        // bound at once. (A recording begins by emptying the field, which is no choice.)
        connect(edit, &QKeySequenceEdit::keySequenceChanged, this, [edit](const QKeySequence &key) {
            if (!key.isEmpty())
                QTimer::singleShot(0, edit, [edit] { edit->clearFocus(); });
        });
        connect(edit, &QKeySequenceEdit::editingFinished, this, [this, edit, which] {
            const QKeySequence recorded = edit->keySequence();
            if (recorded.isEmpty())
                hotKeyChosen(which, GlobalHotKeys::configuredKeys().at(which));   // nothing typed: as it was
            else
                hotKeyChosen(which, QKeySequence(recorded[0]));
        });
        connect(off, &QPushButton::clicked, this, [this, which] { hotKeyChosen(which, QKeySequence()); });
    }
    hotKeyResult = new QLabel;
    hotKeyResult->setWordWrap(true);
    form->addRow(QString(), hotKeyResult);
    runAtLoginBox = new QCheckBox(tr("Start Vornik at login"));
    openSavedBox = new QCheckBox(tr("Open the saved file after saving"));
    form->addRow(QString(), runAtLoginBox);
    form->addRow(QString(), openSavedBox);
    connect(runAtLoginBox, &QCheckBox::toggled, this, &PreferencesWindow::changeRunAtLogin);
    connect(openSavedBox, &QCheckBox::toggled, this, [](bool on) {
        Preferences::standard().setInteger(SettingsKeys::openSavedFile, on ? 1 : 0);
    });
    return rows;
}

void PreferencesWindow::loadSettings()
{
    const Preferences &preferences = Preferences::standard();
    const QSignalBlocker blockLogin(runAtLoginBox);
    const QSignalBlocker blockOpen(openSavedBox);
    serviceEdit->setText(preferences.stringForKey(SettingsKeys::serviceUrl));
    certificateEdit->setText(preferences.stringForKey(SettingsKeys::serviceCaFile));
    if (qEnvironmentVariableIsSet("VORNIK_SERVICE_URL"))
        serviceResult->setText(tr("VORNIK_SERVICE_URL is set and overrides this address."));
    saveFolderEdit->setText(preferences.stringForKey(SettingsKeys::saveFolder));
    runAtLoginBox->setChecked(preferences.integerForKey(SettingsKeys::runAtLogin) == 1);
    openSavedBox->setChecked(!preferences.hasKey(SettingsKeys::openSavedFile)
                             || preferences.integerForKey(SettingsKeys::openSavedFile) != 0);
    const QList<QKeySequence> keys = GlobalHotKeys::configuredKeys();
    for (int which = 0; which < 2; ++which) {
        const QSignalBlocker block(hotKeyEdits[which]);
        hotKeyEdits[which]->setKeySequence(keys.at(which));
    }
    const QStringList unbound = m_hooks.unboundHotKeys ? m_hooks.unboundHotKeys() : QStringList();
    if (!unbound.isEmpty())
        hotKeyResult->setText(tr("%1: taken by another program, so it starts no capture; choose another key.")
                                  .arg(unbound.join(QStringLiteral(", "))));
}

void PreferencesWindow::storeService()
{
    const QString address = serviceEdit->text().trimmed();
    const QString certificate = certificateEdit->text().trimmed();
    const Preferences &preferences = Preferences::standard();
    if (address.isEmpty() || (ServiceConfiguration::normalizedServiceURL(address) == preferences.stringForKey(SettingsKeys::serviceUrl)
                              && certificate == preferences.stringForKey(SettingsKeys::serviceCaFile)))
        return;
    QString problem;
    const auto choice = ServiceSetting::check(address, certificate, &problem);
    if (!choice) {
        serviceResult->setText(tr("Not saved: %1.").arg(problem));
        return;
    }
    if (!ServiceSetting::store(*choice)) {
        serviceResult->setText(tr("Not saved: %1 cannot be written.").arg(Preferences::standard().fileName()));
        return;
    }
    serviceResult->setText(tr("Uploads go to %1 from now on.").arg(choice->url));
}

void PreferencesWindow::testService()
{
    QString problem;
    const QString typed = serviceEdit->text().trimmed();
    const auto choice = ServiceSetting::check(typed.isEmpty() ? ServiceConfiguration::serviceBaseURL() : typed,
                                              certificateEdit->text().trimmed(), &problem);
    if (!choice) {
        serviceResult->setText(tr("Cannot test: %1.").arg(problem));
        emit serviceTested();
        return;
    }
    testButton->setEnabled(false);
    serviceResult->setText(tr("Asking %1…").arg(choice->url));
    ShareClient::probeSalt(choice->url, choice->caFile, [window = QPointer<PreferencesWindow>(this),
                                                          address = choice->url](const ShareReply &reply) {
        if (!window)
            return;
        window->testButton->setEnabled(true);
        window->serviceResult->setText(describeSaltReply(address, reply));
        emit window->serviceTested();
    });
}

QString PreferencesWindow::describeSaltReply(const QString &address, const ShareReply &reply)
{
    switch (reply.error) {
    case ShareError::None:
        if (reply.body.trimmed().isEmpty())
            return tr("%1 answered, but with an empty salt: it does not look like a Vornik service.").arg(address);
        return tr("%1 works: it handed out a salt.").arg(address);
    case ShareError::HttpStatus:
        return tr("%1 answered with HTTP status %2 instead of a salt: is this the service's address?")
            .arg(address)
            .arg(reply.status);
    case ShareError::Transport:
        return tr("No answer from %1: %2.").arg(address, reply.errorText);
    default:
        return tr("%1 answered with something that is not a salt.").arg(address);
    }
}

void PreferencesWindow::chooseCertificate()
{
    FilePanels::OpenRequest request;
    request.title = tr("Certificate of the sharing service");
    request.allowedFileTypes = {QStringLiteral("pem"), QStringLiteral("crt")};
    const QStringList chosen = m_desktop.filePanels->runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    certificateEdit->setText(chosen.first());
    storeService();
}

void PreferencesWindow::chooseSaveFolder()
{
    FilePanels::OpenRequest request;
    request.title = tr("Folder for saved screenshots");
    request.canChooseDirectories = true;
    request.canCreateDirectories = true;
    const QStringList chosen = m_desktop.filePanels->runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    saveFolderEdit->setText(chosen.first());
    storeSaveFolder();
}

void PreferencesWindow::storeSaveFolder()
{
    // Read at every save: the next one goes there.
    Preferences::standard().setString(SettingsKeys::saveFolder, saveFolderEdit->text().trimmed());
    Preferences::standard().synchronize();
}

void PreferencesWindow::changeRunAtLogin(bool on)
{
    if (m_hooks.setRunAtLogin && m_hooks.setRunAtLogin(on))
        return;
    // Not changed: the box keeps telling the truth.
    const QSignalBlocker block(runAtLoginBox);
    runAtLoginBox->setChecked(!on);
}

void PreferencesWindow::hotKeyChosen(int which, const QKeySequence &chosen)
{
    const QList<QKeySequence> before = GlobalHotKeys::configuredKeys();
    const auto showKey = [this, which](const QKeySequence &key) {
        const QSignalBlocker block(hotKeyEdits[which]);
        hotKeyEdits[which]->setKeySequence(key);
    };
    showKey(chosen);
    if (chosen == before.at(which))
        return;
    if (!chosen.isEmpty() && chosen == before.at(1 - which)) {
        showKey(before.at(which));
        hotKeyResult->setText(tr("%1 is already the other capture key.").arg(keyName(chosen)));
        return;
    }
    Preferences &preferences = Preferences::standard();
    preferences.setString(kHotKeySettings[which], keyName(chosen));
    const QStringList unbound = m_hooks.rebindHotKeys ? m_hooks.rebindHotKeys() : QStringList();
    if (chosen.isEmpty() || !unbound.contains(keyName(chosen))) {
        preferences.synchronize();
        hotKeyResult->setText(chosen.isEmpty() ? tr("This capture key is off.")
                                               : tr("%1 now starts a capture.").arg(keyName(chosen)));
        return;
    }
    // Taken: the earlier key comes back, bound again.
    preferences.setString(kHotKeySettings[which], keyName(before.at(which)));
    if (m_hooks.rebindHotKeys)
        m_hooks.rebindHotKeys();
    showKey(before.at(which));
    hotKeyResult->setText(tr("%1 is taken by another program; the capture key stays %2.")
                              .arg(keyName(chosen), before.at(which).isEmpty() ? tr("off") : keyName(before.at(which))));
}
