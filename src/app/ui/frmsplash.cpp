#include "app/ui/frmsplash.h"

#include "common/application.h"
#include "common/ui/named.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *aboutLabel(const char *name, const QString &text, qreal points, bool bold)
{
    auto *l = named(new QLabel(text), name);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    l->setFont(font);
    // A click on a label is not a click on the frame behind it.
    l->setAttribute(Qt::WA_NoMousePropagation);
    return l;
}

}  // namespace

frmSplash::frmSplash(QWidget *mainWindow, std::chrono::milliseconds closeAfter)
    : QWidget(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint), m_mainWindow(mainWindow)
{
    named(this, "frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setTimerType(Qt::PreciseTimer);
    m_closeTimer.setInterval(closeAfter);
    connect(&m_closeTimer, &QTimer::timeout, this, &QWidget::close);

    load();
}

void frmSplash::buildWindow()
{
    m_frame = named(new QGroupBox, "Frame1");
    m_frame->installEventFilter(this);

    m_logo = named(new QLabel, "imgLogo");
    m_logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    m_logo->setScaledContents(true);
    m_logo->setFixedSize(153, 138);
    m_logo->setAttribute(Qt::WA_NoMousePropagation);

    m_company = aboutLabel("lblCompanyProduct", QStringLiteral("Belmuth s.p.a."), 18, true);
    m_product = aboutLabel("lblProductName", QStringLiteral("Prodotto"), 30, true);
    m_description =
        aboutLabel("Label1",
                   QStringLiteral("Software per la lettura, la scrittura e la verifica di TAG "
                                  "ISO15693"),
                   12, false);
    m_description->setWordWrap(true);
    m_version = aboutLabel("lblVersion", QStringLiteral("Versione"), 12, true);
    m_platformCaption = aboutLabel("Label2", QStringLiteral("Per le piattaforme:"), 11.25, false);
    m_platforms = aboutLabel("lblPlatform", QStringLiteral("Win XP - Win2000 - Win 98 - Win ME"),
                             11.25, true);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(m_company);
    texts->addWidget(m_product);
    texts->addSpacing(16);
    texts->addWidget(m_description);
    texts->addSpacing(24);
    texts->addWidget(m_version);
    texts->addStretch(1);

    auto *grid = new QGridLayout(m_frame);
    grid->setContentsMargins(12, 16, 24, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(24);
    grid->addWidget(m_logo, 0, 0, Qt::AlignTop);
    grid->addLayout(texts, 0, 1);
    grid->addWidget(m_platformCaption, 1, 0, Qt::AlignRight | Qt::AlignBaseline);
    grid->addWidget(m_platforms, 1, 1, Qt::AlignBaseline);
    grid->setColumnMinimumWidth(1, 320);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(m_frame);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString frmSplash::versionLine()
{
    return QStringLiteral("Versione %1.%2.%3")
        .arg(V4400_VERSION_MAJOR)
        .arg(V4400_VERSION_MINOR)
        .arg(V4400_VERSION_PATCH);
}

void frmSplash::load()
{
    m_version->setText(versionLine());
    m_product->setText(applicationTitle());
    if (m_mainWindow) {
        adjustSize();
        move(m_mainWindow->frameGeometry().center() - rect().center());
    }
}

bool frmSplash::event(QEvent *event)
{
    // The time runs from the last activation.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        m_closeTimer.start();
    return QWidget::event(event);
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_frame && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_frame->rect().contains(mouse->position().toPoint())) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    // Any key that types a character, Enter and Esc included; Shift, arrows and the like do not.
    if (!event->text().isEmpty()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    m_closeTimer.stop();
    event->accept();
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
}
