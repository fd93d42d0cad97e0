#pragma once
// The errors the program reports to the user. Each carries the text the user is meant
// to see; an error that escapes an event handler ends up in the application's error box.
#include <stdexcept>
#include <string>

#include <QString>

class EQuillmoorError : public std::runtime_error {
public:
    explicit EQuillmoorError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A text that cannot be read as a number.
class EConvertError : public EQuillmoorError {
    using EQuillmoorError::EQuillmoorError;
};

// A file that cannot be opened or created.
class EFOpenError : public EQuillmoorError {
    using EQuillmoorError::EQuillmoorError;
};

// A stream that ends before the bytes a reader needs.
class EReadError : public EQuillmoorError {
    using EQuillmoorError::EQuillmoorError;
};

// A settings write the system refused: "Unable to write to <settings file>".
class EIniFileException : public EQuillmoorError {
    using EQuillmoorError::EQuillmoorError;
};

// A damaged zlib stream.
class EZDecompressionError : public EQuillmoorError {
    using EQuillmoorError::EQuillmoorError;
};
