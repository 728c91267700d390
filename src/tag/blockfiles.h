#pragma once

#include <QString>
#include <QStringList>

class BlockModel;
class FileChooser;
class MessageSink;
class TagInfoModel;

// "Salva..." and "Carica...": the block grid to and from a file (see blockdump.h for the two
// forms), with the UID of the tag last read. Nothing is sent to the tag. A .bin cannot say that a
// row holds nothing known, so it is refused while one does; a .json records such rows as null.
class BlockFiles
{
public:
    BlockFiles(BlockModel &blocks, TagInfoModel &info, MessageSink &messages, FileChooser &chooser);

    void setChooser(FileChooser &chooser) { m_chooser = &chooser; }
    // The file types the dialogs offer: to save, one kind at a time; to load, both together
    // first, so that either shows at once.
    static QStringList filters();
    static QStringList loadFilters();

    void save();
    void load();

private:
    void refuse(const QString &what, const QString &path, const QString &why);

    BlockModel &m_blocks;
    TagInfoModel &m_info;
    MessageSink &m_messages;
    FileChooser *m_chooser;
};
