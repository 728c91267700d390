#include "harness.h"
#include "tag/blockpage.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_Labels : public QObject
{
    Q_OBJECT
private:
    static QList<QByteArray> crlf(const QStringList &lines)
    {
        QList<QByteArray> out;
        for (const QString &l : lines)
            out << l.toLatin1() + "\r\n";
        return out;
    }

private Q_SLOTS:
    void workedExample()
    {
        Harness h;
        QVERIFY(h.start());
        TagInfoPage &page = *h.window.tagPage;
        QCOMPARE(page.Frame5->title(), QStringLiteral("Stampa i dati ricevuti"));
        page.lblComando->setText("INVENTORY");
        page.txtAFI->setText(" 0");
        page.txtUId->setText(" 224   4  ");
        QStringList captions;  // the button's caption and the flag at every command
        h.comm.onWrite = [&](const QByteArray &) {
            captions << page.cmdStampa1->text() +
                            QString::number(-int(h.window.link().PrintingFlag()));
        };
        page.cmdStampa1->click();
        QCOMPARE(
            h.comm.writes,
            crlf({"?00&", "?81&1", "?52&20,720,10,7,12;Comando:", "?52&20,720,150,7,12;INVENTORY",
                  "?52&20,682,10,7,11;AFI:", "?52&20,682,150,7,11; 0",
                  "?52&20,657,10,7,11;UID:", "?52&20,657,150,7,11; 224   4  ", "?14&1", "?81&0"}));
        const QList<qint64> &t = h.comm.writeTimesMs;
        QVERIFY(t[6] - t[5] >= 200);  // a pause after each printed field
        QVERIFY(t[8] - t[7] >= 200);
        QVERIFY(t[5] - t[0] < 150);  // and none before
        QCOMPARE(captions, QStringList(10, "Stampa in corso...-1"));
        QCOMPARE(page.cmdStampa1->text(), QStringLiteral("Stampa"));
        QVERIFY(!h.window.link().PrintingFlag());
        QVERIFY(h.messages.shown.isEmpty());
        // No printer query is needed for this label, and nothing was read back.
        QVERIFY(h.window.txtModello->text().isEmpty());
    }

    void whichFieldsArePrinted()
    {
        Harness h;
        QVERIFY(h.start());
        TagInfoPage &page = *h.window.tagPage;

        // Only the UID: the command line, then the UID at 682, one pause.
        page.txtUId->setText(" 1  ");
        page.cmdStampa1->click();
        QCOMPARE(
            h.comm.commands(),
            (QStringList{"?00&", "?81&1",
                         "?52&20,720,10,7,12;Comando:", "?52&20,720,150,7,12;nessuna lettura",
                         "?52&20,682,10,7,11;UID:", "?52&20,682,150,7,11; 1  ", "?14&1", "?81&0"}));

        // All seven, blanks and placeholders included, with an empty command caption: 20 commands.
        h.comm.writes.clear();
        page.lblComando->clear();
        for (QLineEdit *f : page.fields())
            f->setText(" **");
        page.txtDSFId->setText("   ");
        QElapsedTimer clock;
        clock.start();
        page.cmdStampa1->click();
        QVERIFY(clock.elapsed() >= 1400);  // seven pauses
        const QStringList c = h.comm.commands();
        QCOMPARE(c.size(), 20);
        QCOMPARE(c[3], QStringLiteral("?52&20,720,150,7,12;"));
        const QStringList expected[] = {
            {"?52&20,682,10,7,11;DATA-SETS:", "?52&20,682,150,7,11; **"},
            {"?52&20,657,10,7,11;DSF ID:", "?52&20,657,150,7,11;   "},
            {"?52&20,632,10,7,11;MEM-SIZE:", "?52&20,632,150,7,11; **"},
            {"?52&20,607,10,7,11;TR-TIPE:", "?52&20,607,150,7,11; **"},
            {"?52&20,582,10,7,11;AFI:", "?52&20,582,150,7,11; **"},
            {"?52&20,557,10,7,11;IC-REF:", "?52&20,557,150,7,11; **"},
            {"?52&20,532,10,7,11;UID:", "?52&20,532,150,7,11; **"},
        };
        for (int i = 0; i < 7; ++i)
            QCOMPARE(c.mid(4 + 2 * i, 2), expected[i]);
        QCOMPARE(c.mid(18), (QStringList{"?14&1", "?81&0"}));

        // Nothing to print.
        h.comm.writes.clear();
        for (QLineEdit *f : page.fields())
            f->clear();
        page.lblComando->setText("INVENTORY");
        page.cmdStampa1->click();
        QCOMPARE(h.messages.texts(), QStringList{"ATTENZIONE! Nessun dato da stampare"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        QVERIFY(h.comm.writes.isEmpty());
    }

    // During a pause: a second click, the exit button, Inventory and the block label do nothing;
    // an edit of a field not printed yet is printed as edited; the close box ends at once.
    void duringAPause()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" M");
        TagInfoPage &page = *h.window.tagPage;
        page.txtAFI->setText(" 0");
        page.txtUId->setText(" 1  ");
        h.window.blockPage->txtBlocks[0]->setText("AB");
        h.after(100, [&] {
            QVERIFY(h.window.link().PrintingFlag());
            QCOMPARE(page.cmdStampa1->text(), QStringLiteral("Stampa in corso..."));
            page.cmdStampa1->click();
            h.window.cmdEsci->click();
            page.cmdInventory->click();
            page.cmdSysInfo->click();
            h.window.blockPage->cmdStampa2->click();
            page.txtUId->setText(" 9  ");
        });
        page.cmdStampa1->click();
        QCOMPARE(h.ended, 0);
        const QStringList c = h.comm.commands();
        QCOMPARE(c.size(), 10);
        QCOMPARE(c[7], QStringLiteral("?52&20,657,150,7,11; 9  "));
        QVERIFY(h.messages.shown.isEmpty());

        h.after(100, [&] { h.window.close(); });
        h.comm.writes.clear();
        page.cmdStampa1->click();
        QCOMPARE(h.ended, 1);
        QCOMPARE(h.comm.commands().size(), 6);  // up to the first field, then nothing more
        QVERIFY(!h.window.link().PrintingFlag());
    }

    void writeErrorEndsTheJobCleanly()
    {
        Harness h;
        QVERIFY(h.start());
        TagInfoPage &page = *h.window.tagPage;
        page.txtAFI->setText(" 0");
        page.txtUId->setText(" 1  ");
        h.after(100, [&] {
            h.comm.writeError = {SerialError::WriteFailed, "/dev/fake0: scrittura non riuscita"};
        });
        page.cmdStampa1->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown[0].text.contains("scrittura non riuscita"));
        QVERIFY(!h.window.link().PrintingFlag());
        QCOMPARE(page.cmdStampa1->text(), QStringLiteral("Stampa"));
        h.window.cmdEsci->click();
        QCOMPARE(h.ended, 1);
    }

    void textsWithoutASingleByteCodeAreRefused()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" M");
        TagInfoPage &page = *h.window.tagPage;
        page.txtAFI->setText(" 0");
        page.txtUId->setText(QString::fromUtf8("€ 1"));
        page.cmdStampa1->click();
        h.window.blockPage->txtBlocks[1]->setText(QString::fromUtf8("Ω"));
        h.window.blockPage->cmdStampa2->click();
        QVERIFY(h.comm.writes.isEmpty());
        QCOMPARE(h.messages.shown.size(), 2);
        QVERIFY2(h.messages.shown[0].text.contains("il campo UID contiene"),
                 qPrintable(h.messages.shown[0].text));
        QVERIFY2(h.messages.shown[1].text.contains("il blocco 2 contiene"),
                 qPrintable(h.messages.shown[1].text));
        QVERIFY(!h.window.link().PrintingFlag());
        // Latin-1 letters go out as the bytes they are.
        page.txtUId->setText(QString::fromUtf8("è"));
        page.cmdStampa1->click();
        QVERIFY(h.comm.writes.contains("?52&20,657,150,7,11;\xE8\r\n"));
    }

    // A line break in a text would end the text command and make a command of what follows; no
    // label prints a control character either. In any of the eight texts of the tag label, or
    // in rows 1 and 2 of the block label, one refuses the whole label with one message naming
    // them all, and nothing is sent.
    void controlCharactersAreRefused()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" M");
        TagInfoPage &page = *h.window.tagPage;
        BlockPage &blocks = *h.window.blockPage;
        const QList<QChar> controls = {QChar(13), QChar(10), QChar(0),  QChar(9),
                                       QChar(27), QChar(31), QChar(127)};
        const QStringList names = {"l'ultima lettura",  "il campo DATA-SETS", "il campo DSFID",
                                   "il campo MEM-SIZE", "il campo TR-TYPE",   "il campo AFI",
                                   "il campo IC-REF",   "il campo UID"};
        for (int i = 0; i < 8; ++i) {
            for (QChar c : controls) {
                for (QLineEdit *f : page.fields())
                    f->setText(" 1");
                page.lblComando->setText("INVENTORY");
                const QString text = QStringLiteral("12") + c + QStringLiteral("?14&1");
                if (i == 0)
                    page.lblComando->setText(text);
                else
                    page.fields()[i - 1]->setText(text);
                h.messages.shown.clear();
                page.cmdStampa1->click();
                QCOMPARE(h.messages.texts(),
                         QStringList{QStringLiteral("ATTENZIONE! Stampa annullata: %1 contiene "
                                                    "caratteri di controllo (a capo, tabulazioni "
                                                    "o simili), che nessuna etichetta può "
                                                    "stampare. Non è stato inviato nulla.")
                                         .arg(names[i])});
            }
        }
        for (int row = 0; row < 2; ++row) {
            for (QChar c : controls) {
                blocks.txtBlocks[0]->setText("AB");
                blocks.txtBlocks[1]->setText("CD");
                blocks.txtBlocks[row]->setText(QStringLiteral("A") + c + QStringLiteral("?"));
                h.messages.shown.clear();
                blocks.cmdStampa2->click();
                QCOMPARE(h.messages.shown.size(), 1);
                QVERIFY2(h.messages.shown[0].text.startsWith(
                             QStringLiteral("ATTENZIONE! Stampa annullata: il blocco %1 contiene "
                                            "caratteri di controllo")
                                 .arg(row + 1)),
                         qPrintable(h.messages.shown[0].text));
            }
        }
        QVERIFY(h.comm.writes.isEmpty());
        QVERIFY(!h.window.link().PrintingFlag());

        // Several texts and both kinds of fault: one message, every text named.
        page.txtAFI->setText("\t");
        page.txtIcRef->setText("\r\n");
        page.txtUId->setText(QString::fromUtf8("€"));
        h.messages.shown.clear();
        page.cmdStampa1->click();
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! Stampa annullata: il campo AFI, il campo IC-REF "
                             "contengono caratteri di controllo (a capo, tabulazioni o simili), "
                             "che nessuna etichetta può stampare; il campo UID contiene caratteri "
                             "che non si possono inviare come byte singoli. Non è stato inviato "
                             "nulla."});
        blocks.txtBlocks[0]->setText(QStringLiteral("\n"));
        blocks.txtBlocks[1]->setText(QStringLiteral("\r"));
        blocks.cmdStampa2->click();
        QVERIFY2(h.messages.shown.last().text.contains("il blocco 1, il blocco 2 contengono"),
                 qPrintable(h.messages.shown.last().text));
        QVERIFY(h.comm.writes.isEmpty());

        // Every other byte is printed as it is.
        blocks.txtBlocks[0]->setText(QString::fromLatin1("\x80\xA0\xE8\xFF"));
        blocks.txtBlocks[1]->setText(QString::fromLatin1("\x9F~ "));
        blocks.cmdStampa2->click();
        QCOMPARE(h.comm.writes.size(), 11);
        QCOMPARE(h.comm.writes[8], QByteArray("?52&31,480,37,14,116;\x80\xA0\xE8\xFF\x9F~ \r\n"));
    }

    // A field changed during a pause is checked when its turn comes: a control character stops
    // the label there, before the print command, and says so.
    void controlCharacterTypedDuringAPause()
    {
        Harness h;
        QVERIFY(h.start());
        TagInfoPage &page = *h.window.tagPage;
        page.txtAFI->setText(" 0");
        page.txtUId->setText(" 1  ");
        h.after(100, [&] { page.txtUId->setText("1\r\n?00&"); });
        page.cmdStampa1->click();
        QCOMPARE(h.comm.commands(),
                 (QStringList{"?00&", "?81&1",
                              "?52&20,720,10,7,12;Comando:", "?52&20,720,150,7,12;nessuna lettura",
                              "?52&20,682,10,7,11;AFI:", "?52&20,682,150,7,11; 0"}));
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.startsWith(
                     "ATTENZIONE! Stampa interrotta: il campo UID contiene caratteri di controllo"),
                 qPrintable(h.messages.shown[0].text));
        QVERIFY(!h.window.link().PrintingFlag());
        QCOMPARE(page.cmdStampa1->text(), QStringLiteral("Stampa"));
    }

    void blockLabel()
    {
        Harness h;
        QVERIFY(h.start());
        BlockPage &page = *h.window.blockPage;
        QCOMPARE(page.cmdStampa2->text(), QStringLiteral("STAMPA"));

        // Not queried, rows empty: only the query message, focus to the query button.
        page.cmdStampa2->click();
        QCOMPARE(h.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        h.window.txtRelease->setText(" R");
        page.cmdStampa2->click();
        QCOMPARE(h.messages.texts().last(),
                 QStringLiteral("ATTENZIONE! I blocchi 1 e 2 non contengono nessun dato"));
        QCOMPARE(h.messages.shown.last().style, int(kStyleError));
        QVERIFY(h.comm.writes.isEmpty());

        // Rows 1 and 2 whether selected or not; no other row.
        page.txtBlocks[0]->setText("AB");
        page.txtBlocks[1]->setText("CDEF");
        page.txtBlocks[2]->setText("XYZ");
        page.chkBlocks[2]->setChecked(true);
        QStringList captions;
        h.comm.onWrite = [&](const QByteArray &) {
            captions << page.cmdStampa2->text() +
                            QString::number(-int(h.window.link().PrintingFlag()));
        };
        page.cmdStampa2->click();
        QCOMPARE(h.comm.writes,
                 crlf({"?00&", "?81&1", "?52&00,474,764,18,11;BELMUTH",
                       "?52&00,538,763,17,11;Vireo 4400 TAG - RF", "?09&2", "?10&1", "?11&2",
                       "?13&2", "?52&31,480,37,14,116;ABCDEF", "?14&1", "?81&0"}));
        QCOMPARE(captions, QStringList(11, "STAMPA...-1"));
        QCOMPARE(page.cmdStampa2->text(), QStringLiteral("STAMPA"));
        QVERIFY(!h.window.link().PrintingFlag());
        QCOMPARE(h.messages.shown.size(), 2);

        h.comm.writes.clear();
        page.txtBlocks[0]->clear();
        page.txtBlocks[1]->setText("ABCD");
        page.cmdStampa2->click();
        QCOMPARE(h.comm.commands()[8], QStringLiteral("?52&31,480,37,14,116;ABCD"));
    }
};

V4400_TEST(tst_Labels);
#include "tst_labels.moc"
