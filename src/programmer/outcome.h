#pragma once

#include <QMetaType>
#include <QString>

namespace kvt::programmer {

// How an operation ended, with the message the user is to see (an empty
// text means no message).
struct Outcome {
    enum Kind {
        Programmed,    // summary shown
        Identified,    // identity shown
        EndedSilently, // write reached the end of file without a GPRS line
        InvalidFile,   // refused before the port opened
        OpenFailed,    // the port could not be opened
        TimedOut,      // no reply (or the port failed)
        InvalidReply,  // wrong echo
        Cancelled,     // cancel() or the owner went away
    };
    Kind kind = Cancelled;
    QString title;
    QString text;
    bool exclamation = false; // icon of the message box
    QString detail;           // more about it: the device and the reason
    QString identifier;       // of the identity read, shown as text is
    QString serialNumber;
    int bytesProgrammed = 0;
    int memoryLineCount = 0;
};

} // namespace kvt::programmer

Q_DECLARE_METATYPE(kvt::programmer::Outcome)
