#include "MainWindowBase.h"

#include "Log.h"
#include "MainWindow.h"
#include "OvProductInfo.h"
#include "OvWindowPlacement.h"
#include "tasks/TaskManage.h"

#include <QCloseEvent>
#include <QIcon>
#include <QVBoxLayout>

MainWindowBase::MainWindowBase(QWidget* parent)
    : OvMainWindowBase(parent)
{
    setObjectName(QStringLiteral("MainWindowBase"));
    TaskManage::instance()->setMainWidBase(this);
    setWindowTitle(OvProductInfo::instance()->productName());
    setWindowIcon(QIcon(QStringLiteral(":/sr/icons/app.svg")));

    m_pMainWindow = new MainWindow(this);
    auto* container = new QWidget(this);
    container->setObjectName(QStringLiteral("mainContainer"));
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pMainWindow->takeCentralWidget());
    setCentralWidget(container);
    postCreateDerivedMainWindow();
    resize(sizeHint().expandedTo(QSize(720, 0)));
}

MainWindowBase::~MainWindowBase()
{
    // The main window's destructor releases the singletons and shuts the engine down.
    delete m_pMainWindow;
    m_pMainWindow = nullptr;
}

void MainWindowBase::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (m_pMainWindow)
        m_pMainWindow->onCloseRequest();
}

void MainWindowBase::setVisible(bool visible)
{
    if (!visible && isVisible() && windowState() == Qt::WindowNoState) {
        m_lastPlace = frameGeometry().topLeft();
        m_bPlaced = true;
    } else if (visible && !isVisible() && m_bPlaced) {
        // Mapped again without a place of its own, the window manager would put it anywhere.
        OvWindowPlacement::moveTo(this, m_lastPlace);
    }
    OvMainWindowBase::setVisible(visible);
}
