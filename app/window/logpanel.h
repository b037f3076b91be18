#pragma once

#include <QListWidget>

// The main window's list of the model log's warnings (and of the
// application's own problems). An entry whose text links to a model object
// (<A HREF="OBJ_REF://id">...</A>) asks for that object when clicked.
class LogPanel : public QListWidget
{
    Q_OBJECT
public:
    explicit LogPanel(QWidget* parent = nullptr);

    // Level is the log's: "warning", "error" or "info".
    // shownText, when given, is what the row says (the log's text names
    // objects by host id); the object link is read from text.
    void addEntry(const QString& level, const QString& text, const QString& shownText = QString());

    // The id of the first object link in a log text, 0 when it has none.
    static unsigned int objectReference(const QString& text);
    // The text as the user reads it: markup removed, entities resolved.
    static QString plainText(const QString& text);

signals:
    void objectRequested(unsigned int objectId);

private:
    void requestObjectOf(QListWidgetItem* item);
};
