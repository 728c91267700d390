#pragma once

#include "link/printercommands.h"
#include "tag/blockmodel.h"

#include <QFrame>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QValidator;

// The page "Lettura e Scrittura blocchi del TAG": a row per tag block (index = zero-based block
// number), each a check box that selects it and a field of four characters, and the buttons that
// read, write and print them.
class BlockPage : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kRows = printer::kTagBlocks;

    explicit BlockPage(QWidget *parent = nullptr);

    std::array<QCheckBox *, kRows> chkBlocks{};
    std::array<QLineEdit *, kRows> txtBlocks{};
    QFrame *Frame4 = nullptr;
    QPushButton *cmdWriteBlocks = nullptr;
    QPushButton *cmdReadBlocks = nullptr;
    QPushButton *cmdStampa2 = nullptr;
    QPushButton *cmdSelAll = nullptr;
    QPushButton *cmdUnselAll = nullptr;
    QPushButton *cmdClearFlds = nullptr;
    QCheckBox *chkVerify = nullptr;  // read back what SCRIVI wrote
    QCheckBox *chkHex = nullptr;     // the fields in hexadecimal
    QPushButton *cmdStop = nullptr;  // ends a running read or write after the block in progress
    QPushButton *cmdLoadBlocks = nullptr;
    QPushButton *cmdSaveBlocks = nullptr;
    QPushButton *cmdProduction = nullptr;  // a series of tags programmed from the grid

    // The bytes behind the fields.
    BlockModel &model() { return m_model; }

    // What the operations see of the grid; each row is read when an operation reaches it.
    bool rowSelected(int row) const;
    QList<int> selectedRows() const;
    void setRowSelected(int row, bool selected);
    QByteArray rowBytes(int row) const;
    void setRowBytes(int row, const QByteArray &bytes);
    // Whether the field's text is a row of bytes (BlockModel::Problem::None) or why not.
    BlockModel::Problem rowProblem(int row) const;
    // Why each of these rows cannot be written: one sentence per kind of problem, naming the rows
    // ("i blocchi 3, 7 hanno un numero dispari di cifre esadecimali"); empty when all can.
    QStringList describeProblems(const QList<int> &rows) const;
    // The row's bytes as characters, one a byte, as labels print them.
    QString rowText(int row) const;
    bool verifyAfterWrite() const;

    // Marks the row a read or write is working on (-1: none).
    void setWorkingRow(int row);
    int workingRow() const { return m_workingRow; }

    // Marks the rows whose verification failed, until the next read, write or "Cancella campi".
    void setFailedRows(const QList<int> &rows);
    const QList<int> &failedRows() const { return m_failedRows; }

signals:
    // "Esadecimale" could not switch: these rows are not whole bytes.
    void modeRefused(const QList<int> &rows);

private:
    void updateLook(int row);
    void showRow(int row);
    void showMode(BlockModel::Mode mode);

    BlockModel m_model;
    QValidator *m_hexDigits;
    bool m_showing = false;  // the fields are being given the model's text

    int m_workingRow = -1;
    QList<int> m_failedRows;
};
