#pragma once
// Catches the addresses the program opens in the browser while it is alive:
//   TUrlCatcher browser({"http", "https"});  ...  browser.Opened
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit TUrlCatcher(QStringList schemes = {QStringLiteral("http"), QStringLiteral("https")});
    ~TUrlCatcher() override;

    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url) { Opened << url; }

private:
    QStringList FSchemes;
};
