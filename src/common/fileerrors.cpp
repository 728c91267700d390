#include "common/fileerrors.h"

QString fileErrorText(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::NoError: return QStringLiteral("nessun errore");
    case QFileDevice::ReadError: return QStringLiteral("errore di lettura");
    case QFileDevice::WriteError:
        return QStringLiteral("errore di scrittura (disco pieno o supporto rimosso?)");
    case QFileDevice::FatalError: return QStringLiteral("errore irreparabile del file system");
    case QFileDevice::ResourceError:
        return QStringLiteral("risorse esaurite (disco pieno o troppi file aperti?)");
    case QFileDevice::OpenError:
        return QStringLiteral("il file non si può aprire (non esiste o la cartella non è "
                              "accessibile?)");
    case QFileDevice::AbortError: return QStringLiteral("operazione interrotta");
    case QFileDevice::TimeOutError: return QStringLiteral("tempo scaduto");
    case QFileDevice::RemoveError: return QStringLiteral("il file non si può eliminare");
    case QFileDevice::RenameError:
        return QStringLiteral("il file non si può sostituire (cartella non scrivibile?)");
    case QFileDevice::PositionError: return QStringLiteral("errore di posizionamento nel file");
    case QFileDevice::ResizeError: return QStringLiteral("il file non si può ridimensionare");
    case QFileDevice::PermissionsError: return QStringLiteral("permesso negato");
    case QFileDevice::CopyError: return QStringLiteral("il file non si può copiare");
    case QFileDevice::UnspecifiedError: break;
    }
    return QStringLiteral("errore sconosciuto");
}
