#pragma once

#include "link/printercommands.h"

#include <QFrame>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

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

    // What the operations see of the grid; each row is read when an operation reaches it.
    bool rowSelected(int row) const;
    QString rowText(int row) const;
    void setRowText(int row, const QString &text);
    bool verifyAfterWrite() const;

    // Marks the row a read or write is working on (-1: none).
    void setWorkingRow(int row);
    int workingRow() const { return m_workingRow; }

    // Marks the rows whose verification failed, until the next read, write or "Cancella campi".
    void setFailedRows(const QList<int> &rows);
    const QList<int> &failedRows() const { return m_failedRows; }

private:
    void updateLook(int row);

    int m_workingRow = -1;
    QList<int> m_failedRows;
};
