#pragma once

#include <QString>
#include <QWebEngineView>

namespace platform {

// The embedded web browser as the program's forms drive it: navigation by address text and
// the full-screen and theatre flags. The flags are kept as the window states of the view, which
// have no visible effect while the view is embedded in a form.
class WebBrowser : public QWebEngineView
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr);

    // Loads the address: "about:blank", a "file://" address followed by a plain path, or any
    // other address the engine reads.
    void Navigate(const QString &url);
    void Navigate2(const QString &url);

    // The address last navigated to, as given.
    const QString &LocationURL() const { return m_location; }

    bool FullScreen() const;
    void setFullScreen(bool on);
    bool TheaterMode() const;
    void setTheaterMode(bool on);

private:
    void setWindowStateFlag(Qt::WindowState flag, bool on);

    QString m_location;
};

} // namespace platform
