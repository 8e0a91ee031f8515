#pragma once
// Frees what replaced pages leave behind once the panes have been quiet for
// a moment. All panes share one page process and so one script heap, whose
// collector on its own lets the documents written over and their pictures
// pile up for dozens of pages before it runs; asking for a collection in the
// background once the user pauses keeps the memory flat without slowing the
// pages that follow each other quickly.

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWebEnginePage;

class TIdleCollector : public QObject {
    Q_OBJECT
public:
    explicit TIdleCollector(QObject* parent = nullptr);

    // A page completed in `page`; the collection runs there (in the helper
    // scripts' world) once no page has completed for the quiet time.
    void PageCompleted(QWebEnginePage* page);

    static constexpr int kQuietMs = 600;

private:
    void Collect();

    QTimer FTimer;
    QPointer<QWebEnginePage> FPage;
};
