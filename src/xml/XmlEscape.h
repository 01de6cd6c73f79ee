#pragma once

#include <QByteArray>
#include <QString>

// Text for the files the client writes itself, in UTF-8: markup characters as references, a CR
// as one (a reader turns a bare CR, or CR LF, into LF: only a reference keeps it), and the
// control characters XML cannot hold left out, so that the file can always be read again.
class XmlEscape {
public:
    static QByteArray text(const QString& value);
};
