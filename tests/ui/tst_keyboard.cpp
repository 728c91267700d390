#include "app/ui/frmsplash.h"
#include "app/ui/messagebox.h"
#include "harness.h"
#include "scriptedchooser.h"
#include "settings/ui/frmproperties.h"
#include "testmain.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// objectName, with the index of the controls that are arrays: "txtBlocks(3)".
QString nameOf(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(none)");
    const QVariant index = w->property("index");
    if (index.isValid() && !w->objectName().startsWith(QLatin1String("Frame")))
        return QStringLiteral("%1(%2)").arg(w->objectName()).arg(index.toInt());
    return w->objectName();
}

// The controls Tab visits, from `first` until it comes round to `first` again.
QStringList tabChain(QWidget *first, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    first->setFocus(Qt::TabFocusReason);
    QStringList chain;
    QWidget *w = QApplication::focusWidget();
    while (w && chain.size() < 200) {
        chain << nameOf(w);
        QTest::keyClick(w, modifiers & Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab,
                        modifiers);
        w = QApplication::focusWidget();
        if (w == first)
            break;
    }
    return chain;
}

bool activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// A caption as a screen reader should speak it: no access key marker, no leader dots, no colon.
QString spoken(QString caption)
{
    caption.remove(QLatin1Char('&'));
    return caption.remove(QRegularExpression(QStringLiteral("[.:\\s]+$")));
}

// Every text field and list of `window` has an accessible name, a field with a caption beside it
// or around it its caption. A text field tells assistive technology its name; a list tells its
// entry (Qt's choice on Linux) and is labelled by its caption.
void checkAccessibleNames(QWidget *window)
{
    int checked = 0;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const bool field = qobject_cast<QLineEdit *>(w);
        if (!field && !qobject_cast<QComboBox *>(w))
            continue;
        if (qobject_cast<QComboBox *>(w->parentWidget()))
            continue;  // a list's own parts
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a, qPrintable(nameOf(w)));
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(nameOf(w)));
        if (field)
            QCOMPARE(a->text(QAccessible::Name), w->accessibleName());
        const auto labels = a->relations(QAccessible::Label);
        if (!labels.isEmpty())
            QCOMPARE(spoken(labels.first().first->text(QAccessible::Name)), w->accessibleName());
        else
            QVERIFY2(field, qPrintable(nameOf(w) + QLatin1String(" has no caption")));
        ++checked;
    }
    QVERIFY(checked > 0);
}

// A QLabel has no text of its own for assistive technology: its accessible name is all a screen
// reader gets. A name set on it replaces its caption, and on a label that shows a value
// (lblComando, the status bar panels, the About window's version) the value would never be heard.
void checkLabelsSpeakCaptions(QWidget *window)
{
    int checked = 0;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;  // a picture
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(label);
        QVERIFY2(a, qPrintable(nameOf(label)));
        const QString caption = QString(label->text()).remove(QLatin1Char('&'));
        QVERIFY2(a->text(QAccessible::Name).contains(caption),
                 qPrintable(nameOf(label) + QLatin1String(" is named \"") +
                            a->text(QAccessible::Name) + QLatin1String("\", not \"") + caption +
                            QLatin1Char('"')));
        ++checked;
    }
    QVERIFY(checked > 0);
}

// Access keys of the controls and menu entries of `window`, none taken twice.
void checkAccessKeysDistinct(QWidget *window)
{
    QStringList captions;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
        captions << b->text();
    for (QGroupBox *g : window->findChildren<QGroupBox *>())
        captions << g->title();
    for (QLabel *l : window->findChildren<QLabel *>())
        captions << l->text();
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        for (QAction *a : main->menuBar()->actions())
            captions << a->text();
    }
    QMap<QString, QString> keys;
    for (const QString &caption : captions) {
        const int amp = caption.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= caption.size())
            continue;
        const QString key = caption.mid(amp + 1, 1).toUpper();
        QVERIFY2(!keys.contains(key),
                 qPrintable(QStringLiteral("%1 and %2").arg(keys.value(key), caption)));
        keys.insert(key, caption);
    }
}

}  // namespace

class tst_Keyboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Tab runs down the printer frame, across to "Chiudi", to the tab strip and through the page
    // shown, in reading order; the hidden page is skipped.
    void mainWindowTabOrder()
    {
        Harness h;
        QVERIFY(h.start());
        QVERIFY(activate(h.window.widget()));
        const QStringList top = {"txtModello", "txtRelease", "cmdInterroga", "cmdEsci", "TabStrip"};

        const QStringList page1 =
            top + QStringList{"txtDataSets", "txtDSFId",  "txtMemSize", "txtTrType",
                              "txtAFI",      "txtIcRef",  "txtUId",     "cmdInventory",
                              "cmdSysInfo",  "cmdStampa1"};
        QCOMPARE(tabChain(h.window.txtModello), page1);
        QStringList backwards = page1;
        std::reverse(backwards.begin() + 1, backwards.end());
        QCOMPARE(tabChain(h.window.txtModello, Qt::ShiftModifier), backwards);

        h.window.TabStrip->setCurrentIndex(1);
        QStringList page2 = top;
        for (int i = 0; i < 28; ++i)
            page2 << QStringLiteral("chkBlocks(%1)").arg(i)
                  << QStringLiteral("txtBlocks(%1)").arg(i);
        // "Interrompi" is disabled while nothing runs, so Tab passes it by.
        page2 << "cmdProduction"
              << "cmdLoadBlocks"
              << "cmdSaveBlocks"
              << "cmdWriteBlocks"
              << "cmdReadBlocks"
              << "cmdStampa2"
              << "cmdSelAll"
              << "cmdUnselAll"
              << "cmdClearFlds"
              << "chkVerify"
              << "chkHex";
        QCOMPARE(tabChain(h.window.txtModello), page2);

        // The tab strip changes page with the arrow keys.
        h.window.TabStrip->setFocus(Qt::TabFocusReason);
        QTest::keyClick(h.window.TabStrip, Qt::Key_Left);
        QCOMPARE(h.window.TabStrip->currentIndex(), 0);
        QVERIFY(h.window.tagPage->isVisible());
    }

    // The lists in the order they read, then the flow option chosen, then OK and "Annulla".
    void settingsDialogTabOrder()
    {
        Harness h("[Properties]\nHandshaking=2\n");
        QVERIFY(h.start());
        const auto d = h.window.createPropertiesDialog();
        QVERIFY(activate(d->widget()));
        QCOMPARE(tabChain(d->cboPort),
                 QStringList({"cboPort", "cboSpeed", "cboDataBits", "cboParity", "cboStopBits",
                              "optFlow_2", "cboDevice", "cmdSearch", "txtSearch", "cmdOK",
                              "cmdCancel"}));
    }

    void mainWindowAccessKeys()
    {
        Harness h;
        QVERIFY(h.start());
        QVERIFY(activate(h.window.widget()));
        checkAccessKeysDistinct(h.window.widget());

        // Alt+P: the settings dialog, modally.
        QString opened;
        h.after(0, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                opened = d->objectName();
                d->reject();
            }
        });
        QTest::keyClick(h.window.widget(), Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(opened, QStringLiteral("frmProperties"));

        // Alt+?: the About window.
        QVERIFY(activate(h.window.widget()));
        QTest::keyClick(h.window.widget(), Qt::Key_Question, Qt::AltModifier);
        QVERIFY(h.window.about());
        QTRY_VERIFY(h.window.about()->isVisible());
        h.window.about()->close();

        // Alt+C: "Chiudi", refused while a label is sent like a click.
        QVERIFY(activate(h.window.widget()));
        QSignalSpy clicks(h.window.cmdEsci, &QPushButton::clicked);
        {
            const PrinterLink::Operation label = h.window.link().beginOperation();
            const PrinterLink::Printing printing = h.window.link().beginPrinting();
            QTest::keyClick(h.window.widget(), Qt::Key_C, Qt::AltModifier);
            QTRY_COMPARE(clicks.size(), 1);
            QCOMPARE(h.ended, 0);
        }
        QTest::keyClick(h.window.widget(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(h.ended, 1);
    }

    // The block page's keys press its buttons: the access keys and Ctrl+S, Ctrl+O only while the
    // page is shown, the grid's keys from a field (the ticked rows written without 56 Tabs).
    void blockPageKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("control");
        const int alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("Alt+S") << int(Qt::Key_S) << alt << "cmdSaveBlocks";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << "cmdSaveBlocks";
        QTest::newRow("Alt+R") << int(Qt::Key_R) << alt << "cmdLoadBlocks";
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << "cmdLoadBlocks";
        QTest::newRow("Alt+D") << int(Qt::Key_D) << alt << "cmdProduction";
        QTest::newRow("Alt+V") << int(Qt::Key_V) << alt << "chkVerify";
        QTest::newRow("Alt+E") << int(Qt::Key_E) << alt << "chkHex";
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << ctrl << "cmdWriteBlocks";
        QTest::newRow("Ctrl+Enter")
            << int(Qt::Key_Enter) << int(ctrl | Qt::KeypadModifier) << "cmdWriteBlocks";
        QTest::newRow("Ctrl+L") << int(Qt::Key_L) << ctrl << "cmdReadBlocks";
    }
    void blockPageKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, control);
        Harness h;
        ScriptedChooser chooser;  // cancels
        h.window.setFileChooser(chooser);
        QVERIFY(h.start());
        QVERIFY(activate(h.window.widget()));
        auto *pressed = h.window.findChild<QAbstractButton *>(control);
        QVERIFY(pressed);
        QSignalSpy clicks(pressed, &QAbstractButton::clicked);
        const auto type = [&](QWidget *w) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        };

        // An access key takes the focus at once and clicks a moment later; a Ctrl key clicks.
        type(h.window.tagPage->txtUId);
        QCOMPARE(QApplication::focusWidget(), h.window.tagPage->txtUId);
        QCOMPARE(clicks.size(), 0);
        h.window.TabStrip->setCurrentIndex(1);
        type(h.window.blockPage->txtBlocks[5]);
        QTRY_COMPARE(clicks.size(), 1);
        if (ProductionPage *production = h.window.production()) {
            QTRY_VERIFY(production->dialog->isVisible());
            checkAccessKeysDistinct(production->dialog);
            production->dialog->close();
        }
    }

    // A message over the production dialog (the program's box, parented to the main window)
    // gives the focus back to the dialog, where the operator was.
    void focusReturnsAfterAMessage()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.TabStrip->setCurrentIndex(1);
        h.window.blockPage->cmdProduction->click();
        ProductionPage *production = h.window.production();
        QVERIFY(production);
        QVERIFY(activate(production->dialog));
        production->spnCount->setFocus();
        QWidget *box = nullptr;
        QTimer::singleShot(0, [&] {
            box = QApplication::activeModalWidget();
            QTest::keyClick(box, Qt::Key_Return);
        });
        MessageBoxSink(h.window.widget()).show("ATTENZIONE! prova", kStyleError);
        QVERIFY(box);
        QTRY_COMPARE(QApplication::activeWindow(), production->dialog);
        QCOMPARE(QApplication::focusWidget(), production->spnCount);
        production->dialog->close();
    }

    // Alt+C moves into the flow options, onto the one chosen; the arrows then choose another.
    void flowControlAccessKey()
    {
        Harness h("[Properties]\nHandshaking=1\n");
        QVERIFY(h.start());
        const auto d = h.window.createPropertiesDialog();
        QVERIFY(activate(d->widget()));
        checkAccessKeysDistinct(d->widget());
        d->cboSpeed->setFocus();
        QTest::keyClick(d->widget(), Qt::Key_C, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), d->optFlow[1]);
        QTest::keyClick(d->optFlow[1], Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), d->optFlow[2]);
        QVERIFY(d->optFlow[2]->isChecked());
        QCOMPARE(d->chosenFlow(), 2);
        QTest::keyClick(d->optFlow[2], Qt::Key_Return);  // OK is the default button
        QVERIFY(!d->isVisible());
        QCOMPARE(h.comm.handshaking(), 2);
    }

    void accessibleNames()
    {
        Harness h;
        QVERIFY(h.start());
        checkAccessibleNames(h.window.widget());
        for (int i = 0; i < 28; ++i)
            QCOMPARE(h.window.blockPage->txtBlocks[i]->accessibleName(),
                     h.window.blockPage->chkBlocks[i]->text());
        QCOMPARE(h.window.tagPage->txtUId->accessibleName(), QStringLiteral("UID"));
        QCOMPARE(h.window.tagPage->txtDSFId->accessibleName(), QStringLiteral("DSFID"));
        checkLabelsSpeakCaptions(h.window.widget());

        const auto d = h.window.createPropertiesDialog();
        checkAccessibleNames(d->widget());
        checkLabelsSpeakCaptions(d->widget());
        frmSplash about(nullptr);
        checkLabelsSpeakCaptions(&about);
        QCOMPARE(d->cboPort->accessibleName(), d->Frame2->title());
        QCOMPARE(d->cboSpeed->accessibleName(), d->Frame1->title());
    }
};

V4400_TEST(tst_Keyboard);
#include "tst_keyboard.moc"
