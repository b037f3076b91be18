#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

// Watches for modal windows while a test calls something that may open
// one: each one found is recorded and closed, so the test never blocks.
class ModalWatcher
{
public:
    struct Seen
    {
        QString className;
        QString objectName;
        QString title;
        QString text;  // a message box's text
        QWidget* parent = nullptr;
    };

    ModalWatcher()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { closeModal(); });
        timer.start();
    }

    const QList<Seen>& seen() const { return windows; }

private:
    void closeModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == lastClosed)
            return;
        Seen seen{QString::fromLatin1(modal->metaObject()->className()), modal->objectName(), modal->windowTitle(),
                  QString(), modal->parentWidget()};
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            seen.text = box->text();
        windows.append(seen);
        lastClosed = modal;
        modal->close();
    }

    QTimer timer;
    QList<Seen> windows;
    QWidget* lastClosed = nullptr;
};
