#include "AboutDialog.h"

#include "AboutText.h"
#include "SonaricVersion.h"
#include "SystemInfo.h"
#include "UserDialogs.h"
#include "WindowsRegistry.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_dialogs(dialogs), m_registry(systemRegistry()) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_systemInfo = std::make_unique<SystemInfo>(
        *m_registry, [](const QString& path) { return QFileInfo(path).isFile(); },
        [](const QString& path) { return QProcess::startDetached(path, {}); });

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("picIcon"));
    m_icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    m_icon->setAccessibleName(tr("Program icon"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(18);
    m_title->setFont(titleFont);
    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("lblDescription"));
    m_description->setWordWrap(true);
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    m_disclaimer = new QLabel(this);
    m_disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_disclaimer->setWordWrap(true);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    m_sysInfo = new QPushButton(tr("&System Info..."), this);
    m_sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    // Enter on a focused System Info starts the tool (a dialog's buttons are auto-default);
    // anywhere else it means OK.

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_icon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_version, 1, 1);
    grid->addWidget(m_description, 2, 1);
    grid->addWidget(separator, 3, 0, 1, 3);
    grid->addWidget(m_disclaimer, 4, 0, 2, 2);
    grid->addWidget(m_ok, 4, 2);
    grid->addWidget(m_sysInfo, 5, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    m_description->setMinimumWidth(360);

    // OK answers Enter as the default button and Escape as the dialog's reject.
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_sysInfo, &QPushButton::clicked, this, &AboutDialog::startSystemInfo);
    load();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::setSystemInfo(std::unique_ptr<SystemInfo> systemInfo) {
    m_systemInfo = std::move(systemInfo);
}

void AboutDialog::load() {
    setWindowTitle(AboutText::caption());
    m_version->setText(
        AboutText::version(SonaricVersion::Major, SonaricVersion::Minor, SonaricVersion::Patch));
    m_title->setText(AboutText::title());
    m_description->setText(AboutText::description());
    m_disclaimer->setText(AboutText::disclaimer());
}

void AboutDialog::startSystemInfo() {
    if (!m_systemInfo->startTool())
        m_dialogs.inform(this, QApplication::applicationName(), SystemInfo::unavailableMessage());
}
