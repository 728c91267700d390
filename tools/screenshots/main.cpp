// v4400-screenshots: renders the program's windows, driven on the fake serial control, into PNG
// files for the README. Run it under Xvfb (scripts/screenshots.sh) for the desktop's look.

#include "app/qttranslation.h"
#include "app/ui/filedialogchooser.h"
#include "harness.h"
#include "scriptedchooser.h"
#include "tag/blockfiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {

void save(QWidget *widget, const QString &dir, const QString &name)
{
    // Active, with the focus where the operator's last click left it: the same picture every run.
    widget->activateWindow();
    if (!QTest::qWaitForWindowActive(widget))
        qWarning("%s: the window did not become active", qPrintable(name));
    QApplication::processEvents();
    const QString path = QDir(dir).filePath(name + QLatin1String(".png"));
    if (!widget->grab().save(path))
        qFatal("cannot write %s", qPrintable(path));
    qInfo("%s", qPrintable(path));
}

// What the screen shows over the window, tooltips and message boxes included.
void saveScreen(QWidget *window, const QString &dir, const QString &name)
{
    QTest::qWait(300);
    const QRect area = window->frameGeometry();
    const QString path = QDir(dir).filePath(name + QLatin1String(".png"));
    if (!QGuiApplication::primaryScreen()
             ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
             .save(path))
        qFatal("cannot write %s", qPrintable(path));
    qInfo("%s", qPrintable(path));
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installItalianQtTranslation(app);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(dir);

    // The serial ports of a plain PC, and a USB adapter with the printer on it.
    Harness h("[Ports]\nCom1=/dev/ttyS0\nCom2=/dev/ttyS1\nCom3=/dev/ttyS2\nCom4=/dev/ttyS3\n");
    const QString adapter =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    h.devices.reported = {{adapter, "FT232R USB UART, FTDI, n. di serie A50285BI (/dev/ttyUSB0)"},
                          {"/dev/ttyS0", ""}};
    h.devices.printers[adapter] = 0;
    if (!h.start())
        return 1;
    // The line monitor after the printer query and an Inventory.
    h.window.mnuMonitor->trigger();
    h.window.cmdInterroga->click();
    h.window.tagPage->cmdInventory->click();
    QTest::qWait(300);  // the list follows in batches
    save(h.window.monitor()->window, dir, QStringLiteral("monitor") + suffix);
    h.window.monitor()->close();

    h.window.tagPage->cmdSysInfo->click();
    h.window.tagPage->cmdSysInfo->setFocus();
    save(h.window.widget(), dir, QStringLiteral("main-tag") + suffix);

    h.window.TabStrip->setCurrentIndex(1);
    for (int i : {0, 1, 2, 3, 9})
        h.window.blockPage->chkBlocks[i]->setChecked(true);
    h.window.blockPage->cmdReadBlocks->click();
    h.window.blockPage->cmdReadBlocks->setFocus();
    save(h.window.widget(), dir, QStringLiteral("main-blocks") + suffix);

    const auto properties = h.window.createPropertiesDialog();
    properties->show();
    save(properties->widget(), dir, QStringLiteral("properties") + suffix);

    // "Cerca stampante": nothing on the PC's own ports, the printer behind the USB adapter.
    h.comm.model().behaviour.silent = true;
    h.window.link().setTimeScale(0.01);
    properties->cmdSearch->click();
    properties->cmdSearch->setFocus();
    QTest::qWait(300);  // the dialog grows to the result's lines once the window system has it
    save(properties->widget(), dir, QStringLiteral("properties-search") + suffix);
    properties->reject();
    h.comm.model().behaviour.silent = false;
    h.window.link().setTimeScale(1);

    h.window.mnuInfo->trigger();
    save(h.window.about(), dir, QStringLiteral("about") + suffix);
    h.window.about()->close();
    if (!suffix.isEmpty())
        return 0;

    // The decoded view of the tag: the UID's tooltip.
    h.window.TabStrip->setCurrentIndex(0);
    h.window.activateWindow();
    QLineEdit *uid = h.window.tagPage->txtUId;
    QTest::mouseMove(uid);
    QToolTip::showText(uid->mapToGlobal(QPoint(40, uid->height())), uid->toolTip(), uid);
    saveScreen(h.window.widget(), dir, QStringLiteral("uid-tooltip"));
    QToolTip::hideText();

    // A verification that failed: the tag ignored one write and altered another.
    h.window.TabStrip->setCurrentIndex(1);
    BlocksPage &blocks = *h.window.blockPage;
    h.comm.model().behaviour.ignoredWrites = {2};
    h.comm.model().behaviour.corruptedWrites = {9};
    const QStringList texts = {"ABCD", "1234", "WXYZ", "tag!"};
    for (int i = 0; i < texts.size(); ++i)
        blocks.txtBlocks[i]->setText(texts[i]);
    blocks.txtBlocks[9]->setText(QStringLiteral("9876"));
    blocks.chkVerify->setChecked(true);
    blocks.cmdWriteBlocks->click();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("V4400 TAG RF"),
                    h.messages.shown.last().text, QMessageBox::Ok, h.window.widget());
    box.show();
    saveScreen(h.window.widget(), dir, QStringLiteral("verify-failed"));
    box.close();
    // A failed row's tooltip: what was written, what the tag holds.
    h.window.activateWindow();
    QTest::qWaitForWindowActive(h.window.widget());
    QLineEdit *failed = blocks.txtBlocks[2];
    QTest::mouseMove(failed);
    QToolTip::showText(failed->mapToGlobal(QPoint(40, failed->height())), failed->toolTip(),
                       failed);
    saveScreen(h.window.widget(), dir, QStringLiteral("verify-tooltip"));
    QToolTip::hideText();

    // The grid in hexadecimal: bytes that characters cannot show.
    blocks.cmdClearFlds->click();
    blocks.cmdUnselAll->click();
    blocks.model.setFailedRows({});
    blocks.chkVerify->setChecked(false);
    const QList<QByteArray> bytes = {"B001", QByteArray("\x00\xFF\x7F\x41", 4), "\x01\x02",
                                     QByteArray("\x0D\x0A\x00\x00", 4), "tag!"};
    for (int i = 0; i < bytes.size(); ++i) {
        blocks.setRowBytes(i, bytes[i]);
        blocks.chkBlocks[i]->setChecked(true);
    }
    blocks.chkHex->setChecked(true);
    blocks.chkHex->setFocus();
    save(h.window.widget(), dir, QStringLiteral("main-blocks-hex"));

    // "Salva...": the file dialog, in a folder of its own so that the picture is the same every
    // run.
    QDir folder(QDir::temp().filePath(QStringLiteral("v4400-screenshots")));
    folder.removeRecursively();
    folder.mkpath(QStringLiteral("."));
    for (const char *name : {"etichetta-0001.bin", "etichetta-0002.bin", "magazzino.json"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(112, ' '));
        file.flush();
        file.setFileTime(QDateTime(QDate(2026, 12, 1), QTime(9, 30)),
                         QFileDevice::FileModificationTime);
    }
    // The name "Salva..." offers for this grid: the tag's UID, and .json while rows are unknown.
    const auto dialog = FileDialogChooser::saveDialog(
        h.window.widget(), QStringLiteral("Salva i blocchi"),
        folder.filePath(QStringLiteral("blocchi-E00401502A3C7B12.json")), BlockFiles::filters());
    dialog->resize(760, 420);
    dialog->show();
    QTest::qWait(300);
    save(dialog.get(), dir, QStringLiteral("save-dialog"));
    dialog->close();

    // A production run in progress: serial numbers in rows 1 and 2, the block data label, the
    // second tag of the roll void, the fifth being written.
    blocks.chkHex->setChecked(false);
    blocks.cmdClearFlds->click();
    blocks.cmdUnselAll->click();
    blocks.setRowBytes(2, "L007");
    blocks.chkBlocks[2]->setChecked(true);
    h.comm.model().behaviour.ignoredWrites.clear();
    h.comm.model().behaviour.corruptedWrites.clear();
    h.comm.model().roll.enabled = true;
    h.comm.model().roll.badTags = {2};
    h.comm.model().loadRollTag(1);
    ScriptedChooser chooser;
    chooser.answer = folder.filePath(QStringLiteral("produzione-2026-12-08.csv"));
    h.window.setFileChooser(chooser);
    blocks.cmdProduction->click();
    ProductionPage &production = *h.window.production();
    production.spnCount->setValue(10);
    production.fraSerial->setChecked(true);
    production.cboSerialWidth->setCurrentIndex(1);
    production.txtSerialStart->setText(QStringLiteral("1001"));
    production.cboLabel->setCurrentIndex(2);
    production.cboOnFailure->setCurrentIndex(1);
    bool taken = false;
    h.comm.onWrite = [&](const QByteArray &bytes) {
        if (taken || !bytes.startsWith("?R2&24,1,1,1004"))
            return;
        taken = true;
        QTimer::singleShot(0, production.dialog, [&] {
            save(production.dialog, dir, QStringLiteral("production"));
            production.cmdStop->click();
        });
    };
    production.cmdStart->click();
    h.comm.onWrite = {};
    if (!taken)
        qWarning("production: %s", qPrintable(h.messages.texts().join(QLatin1Char('|'))));
    folder.removeRecursively();
    return 0;
}
