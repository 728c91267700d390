#pragma once

// src/tag/: the tag's models, the tag operations and the tag pages (tag/ui/). Includes link/ and
// common/; label/, production/ and app/ build on it.

#include "tag/blockdata.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

struct OperationContext;
class BlockModel;
class TagInfoModel;

// The four tag operations: Inventory and System information fill the tag information; Block
// read and Block write move the selected rows of the block grid from and to the tag.
class TagOperations : public QObject
{
    Q_OBJECT
public:
    TagOperations(OperationContext &context, TagInfoModel &info, BlockModel &blocks,
                  QObject *parent = nullptr);

    void inventory();
    void systemInformation();
    void readBlocks();
    // With `verify`, the rows written are read back and compared ("Verifica dopo scrittura").
    void writeBlocks(bool verify);
    // "Interrompi": the running block read or write ends after the block in progress.
    void requestStop();
    // "Esadecimale" could not switch because of these rows: tell the operator why.
    void reportModeRefused(const QList<int> &rows);

    // The steps of the operations, for a run over many tags that holds the printer operation
    // itself and checks nothing more. Each sends exactly what the operation sends. False (or
    // Ended) when the line failed or the program is ending: the caller stops at once.

    // Inventory: on an answer the tag information shows the tag, as after "Inventory";
    // `answered` says whether a tag answered.
    bool inventoryOnce(bool *answered);
    // The write of these blocks, four bytes each, as "SCRIVI" writes them. `sent` counts the
    // blocks whose command went out, in order: those the tag may hold when the line fails.
    bool writeRows(const QList<RowBytes> &blocks, int *sent);
    // The read-back of "Verifica dopo scrittura": the rows that differ (or were not read) in
    // `failed`, those that got no answer at all also in `missing`; the bytes of each row read back
    // in `held`, when given. `onRow` runs before each row; after a row, a requested stop ends it
    // (Stopped) unless that was the last.
    enum class Outcome { Done, Stopped, Ended };
    Outcome verifyRows(const QList<RowBytes> &written, QList<int> *failed, QList<int> *missing,
                       const std::function<void(int)> &onRow = {},
                       QHash<int, QByteArray> *held = nullptr);

signals:
    // A block loop is under way (seconds of it): the window shows that it is busy.
    void busyChanged(bool busy);
    // "Interrompi" can stop what runs now.
    void stoppableChanged(bool stoppable);
    // A passing note for the operator ("Lettura del blocco 3..."); an empty text clears it.
    void note(const QString &text);

private:
    // The RF preamble, the request, and a wait for exactly `length` characters.
    void readTagInfo(const char *request, int length, bool inventory);
    bool requestTagInfo(const char *request, int length, bool inventory, bool *answered);

    // One block read, paced: the buffer emptied, the request, the fixed pause, the reply judged.
    enum class BlockReply { Read, NotRead, Missing, Stopped };
    BlockReply readBlock(int block);

    // Block write in three steps: refuse what cannot be written, write the selected rows, read
    // them back.
    bool checkWritable();
    bool writeSelected(QList<RowBytes> *written);
    void verifyWritten(const QList<RowBytes> &written);
    bool writeBlock(const RowBytes &block, bool *sent = nullptr);
    bool anySelectedAfter(int row) const;

    class StopScope;
    class LoopProgress;

    OperationContext &m_context;
    TagInfoModel &m_info;
    BlockModel &m_blocks;
    bool m_stopRequested = false;
};
