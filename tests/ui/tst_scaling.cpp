// The windows at the scale factor QT_SCALE_FACTOR gives (CTest runs this at 1, 1.5 and 2), with
// the desktop's font and with a large one: every caption and field text fits its control, and no
// control overlaps another or sticks out of its frame.

#include "harness.h"
#include "settings/ui/frmproperties.h"
#include "testmain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTest>

namespace {

QString describe(const QWidget *w)
{
    QString text;
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        text = b->text();
    else if (auto *l = qobject_cast<const QLabel *>(w))
        text = l->text();
    else if (auto *g = qobject_cast<const QGroupBox *>(w))
        text = g->title();
    else if (auto *e = qobject_cast<const QLineEdit *>(w))
        text = e->text();
    return QStringLiteral("%1 %2 \"%3\" %4x%5")
        .arg(QLatin1String(w->metaObject()->className()), w->objectName(), text)
        .arg(w->width())
        .arg(w->height());
}

bool fits(const QSize &needed, const QSize &given)
{
    return needed.width() <= given.width() && needed.height() <= given.height();
}

// The problems found in `window`, one line each; empty when it is laid out well.
QStringList layoutProblems(QWidget *window)
{
    QStringList problems;
    const auto problem = [&](const QWidget *w, const QString &what) {
        problems << describe(w) + QLatin1String(": ") + what;
    };
    const auto shown = [window](const QWidget *w) {
        return w->isVisibleTo(window) && w->window() == window &&
               !w->objectName().startsWith(QLatin1String("qt_"));
    };

    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : std::as_const(widgets)) {
        if (!shown(w))
            continue;

        // Captions and texts fit.
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                  : !fits(label->sizeHint(), label->size()))
                problem(w, QStringLiteral("caption clipped (needs %1x%2)")
                               .arg(label->sizeHint().width())
                               .arg(label->sizeHint().height()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (!button->text().isEmpty() && !fits(button->sizeHint(), button->size()))
                problem(w, QStringLiteral("caption clipped (needs %1x%2)")
                               .arg(button->sizeHint().width())
                               .arg(button->sizeHint().height()));
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            if (!fits(group->minimumSizeHint(), group->size()))
                problem(w, QStringLiteral("title or contents clipped (needs %1x%2)")
                               .arg(group->minimumSizeHint().width())
                               .arg(group->minimumSizeHint().height()));
        } else if (auto *field = qobject_cast<QLineEdit *>(w)) {
            QStyleOptionFrame option;
            option.initFrom(field);
            option.lineWidth = field->hasFrame() ? 1 : 0;
            const QRect contents =
                field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
            const int room = contents.width() - 2 * 2 - field->textMargins().left() -
                             field->textMargins().right();  // QLineEdit's own margin of 2
            const int needed = field->fontMetrics().horizontalAdvance(field->text());
            if (needed > room)
                problem(w, QStringLiteral("text clipped (needs %1, has %2)").arg(needed).arg(room));
            if (field->fontMetrics().height() > contents.height())
                problem(w, QStringLiteral("text cut at top or bottom"));
        } else if (auto *list = qobject_cast<QComboBox *>(w)) {
            if (!fits(list->sizeHint(), list->size()))
                problem(w, QStringLiteral("entries clipped (needs %1x%2)")
                               .arg(list->sizeHint().width())
                               .arg(list->sizeHint().height()));
        } else if (auto *tabs = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QSize text = tabs->fontMetrics().size(Qt::TextShowMnemonic, tabs->tabText(i));
                if (!fits(text, tabs->tabRect(i).size()))
                    problem(w, QStringLiteral("tab \"%1\" clipped").arg(tabs->tabText(i)));
            }
            if (tabs->tabRect(tabs->count() - 1).right() > tabs->width())
                problem(w, QStringLiteral("tabs do not all show"));
        }

        // Children stay inside their parent's frame and off each other. A window's own children
        // (menu bar, status bar, page) are checked by the window's layout.
        QList<QWidget *> children;
        for (QObject *o : w->children()) {
            auto *child = qobject_cast<QWidget *>(o);
            if (child && shown(child))
                children << child;
        }
        const QRect inside = w->contentsRect();
        for (int i = 0; i < children.size(); ++i) {
            if (!inside.contains(children[i]->geometry()))
                problem(children[i], QStringLiteral("sticks out of %1").arg(describe(w)));
            for (int j = i + 1; j < children.size(); ++j) {
                if (children[i]->geometry().intersects(children[j]->geometry()))
                    problem(children[i], QStringLiteral("overlaps %1").arg(describe(children[j])));
            }
        }
    }
    return problems;
}

bool laidOut(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    QApplication::processEvents();
    return true;
}

}  // namespace

class tst_Scaling : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
        qInfo("QT_SCALE_FACTOR=%s", factor.isEmpty() ? "(not set)" : factor.constData());
        if (!factor.isEmpty())
            QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), factor.toDouble());
        m_desktopFont = QApplication::font();
    }

    // The desktop's font, and one half as large again (an operator who needs larger text).
    void windows_data()
    {
        QTest::addColumn<qreal>("fontGrowth");
        QTest::newRow("desktop font") << 1.0;
        QTest::newRow("large font") << 1.5;
    }

    void windows()
    {
        QFETCH(qreal, fontGrowth);
        QFont font = m_desktopFont;
        font.setPointSizeF(m_desktopFont.pointSizeF() * fontGrowth);
        QApplication::setFont(font);

        Harness h;
        QVERIFY(h.start());
        MainWindowPage &w = h.window;
        w.widget()->resize(w.widget()->sizeHint());  // all of it, however small the screen

        // The tag page with everything the program writes into it.
        w.cmdInterroga->click();
        w.tagPage->cmdSysInfo->click();
        QCOMPARE(w.tagPage->lblComando->text(), QStringLiteral("GET SYSTEM INFORMATION"));
        QVERIFY(laidOut(w.widget()));
        QStringList problems = layoutProblems(w.widget());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

        // The block page with blocks read.
        w.TabStrip->setCurrentIndex(1);
        for (int i : {0, 9, 27})
            w.blockPage->chkBlocks[i]->setChecked(true);
        w.blockPage->cmdReadBlocks->click();
        QVERIFY(!w.blockPage->txtBlocks[27]->text().isEmpty());
        QApplication::processEvents();
        problems = layoutProblems(w.widget());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

        const auto d = w.createPropertiesDialog();
        QVERIFY(laidOut(d->widget()));
        problems = layoutProblems(d->widget());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        // While "Cerca stampante" runs its button reads "Interrompi ricerca"; afterwards the
        // result is shown.
        h.comm.model().behaviour.silent = true;
        w.link().setTimeScale(0.01);
        bool checkedWhileSearching = false;
        connect(d->txtSearch, &QPlainTextEdit::textChanged, d->widget(), [&] {
            if (checkedWhileSearching || !d->searching())
                return;
            QApplication::processEvents();
            problems = layoutProblems(d->widget());
            checkedWhileSearching = d->cmdSearch->text() == QLatin1String("Interrompi ricerca");
        });
        d->cmdSearch->click();
        QVERIFY(checkedWhileSearching);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY(d->txtSearch->toPlainText().startsWith("Nessuna stampante"));
        problems = layoutProblems(d->widget());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        d->reject();
        h.comm.model().behaviour.silent = false;
        w.link().setTimeScale(1);

        w.mnuInfo->trigger();
        QVERIFY(w.about());
        QVERIFY(laidOut(w.about()));
        problems = layoutProblems(w.about());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        w.about()->close();

        // While the tag information label goes out its button reads "Stampa in corso...". Once
        // seen, closing the window ends the label early.
        w.TabStrip->setCurrentIndex(0);
        bool checkedWhilePrinting = false;
        h.after(0, [&] {
            QApplication::processEvents();
            problems = layoutProblems(w.widget());
            checkedWhilePrinting = w.tagPage->cmdStampa1->text() != QLatin1String("Stampa");
            w.close();
        });
        w.tagPage->cmdStampa1->click();
        QVERIFY(checkedWhilePrinting);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    // On a screen of at least 1024x768 at up to 125 % the main window fits the screen's free
    // area with room for a title bar and a panel, and at its smallest every control can be
    // brought into view; where the design size fits, the window opens at it.
    void smallScreen()
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QSize physical = screen->geometry().size() * screen->devicePixelRatio();
        if (physical.width() < 1024 || physical.height() < 768 || screen->devicePixelRatio() > 1.25)
            QSKIP("for a screen of 1024x768 or more at up to 125 %");
        Harness h;
        QVERIFY(h.start());
        QWidget *window = h.window.widget();
        const QSize free = screen->availableGeometry().size();
        QCOMPARE(window->size(), window->sizeHint().boundedTo(free));
        const QSize smallest = window->minimumSizeHint();
        QVERIFY2(smallest.width() <= free.width() - 16 && smallest.height() <= free.height() - 80,
                 qPrintable(QStringLiteral("%1x%2").arg(smallest.width()).arg(smallest.height())));

        window->resize(smallest);
        QApplication::processEvents();
        const QRect inside = window->rect();
        const auto onScreen = [&](QWidget *w) {
            return inside.contains(QRect(w->mapTo(window, QPoint(0, 0)), w->size()));
        };
        for (QWidget *w : QList<QWidget *>{h.window.cmdEsci, h.window.statusBar()})
            QVERIFY2(onScreen(w), qPrintable(describe(w)));
        for (int page = 0; page < 2; ++page) {
            h.window.TabStrip->setCurrentIndex(page);
            QWidget *shown = page == 0 ? h.window.tagPage->widget : h.window.blockPage->widget;
            QApplication::processEvents();
            QVERIFY(page == 1 || onScreen(shown));  // the information page never scrolls
            for (QWidget *w : shown->findChildren<QWidget *>()) {
                if (w->focusPolicy() == Qt::NoFocus || !w->isEnabled() || !w->isVisibleTo(window))
                    continue;
                w->setFocus(Qt::TabFocusReason);
                QApplication::processEvents();
                QVERIFY2(onScreen(w), qPrintable(describe(w)));
            }
        }
        h.window.mnuMonitor->trigger();  // the line monitor fits too
        QVERIFY(h.window.monitor());
        QVERIFY(fits(h.window.monitor()->window->size(), free));
    }

    void cleanup() { QApplication::setFont(m_desktopFont); }

private:
    QFont m_desktopFont;
};

V4400_TEST(tst_Scaling);
#include "tst_scaling.moc"
