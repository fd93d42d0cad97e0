#pragma once
// An underlined label that opens its address through the desktop shell when clicked and
// changes colour while the mouse is over it.
#include <QColor>
#include <QLabel>
#include <QString>

class TkvURLLabel : public QLabel {
    Q_OBJECT
public:
    explicit TkvURLLabel(QWidget* parent = nullptr);

    // The address as stored; blanks at its ends are kept and handed to the shell.
    QString URL() const { return FURL; }
    void SetURL(const QString& url);

    QColor FontHoverColor() const { return FFontHoverColor; }
    void SetFontHoverColor(const QColor& color) { FFontHoverColor = color; }
    QColor FontLinkColor() const { return FFontLinkColor; }
    // Applies at once.
    void SetFontLinkColor(const QColor& color);

    // The colour the text is drawn in now.
    QColor FontColor() const;

    // Size follows the caption.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    void SetCaption(const QString& caption);

    // What a click does: opens URL unless it is blank or exactly "no", then raises OnClick.
    void Click();

signals:
    void OnClick();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetFontColor(const QColor& color);

    QString FURL;
    QColor FFontHoverColor;
    QColor FFontLinkColor;
    bool FAutoSize = true;
    bool FPressed = false;
};
