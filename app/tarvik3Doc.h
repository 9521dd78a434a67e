#pragma once
// The document: the path and title of the open file and the engine that analysed it. Whatever the
// engine throws stops here and becomes a message; an open that fails leaves a sane document.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class jpcAnalyzer;

class Ctarvik3Doc : public QObject {
    Q_OBJECT
public:
    // Shows a failure to the user; a message box unless replaced (tests replace it).
    using FailureReporter = std::function<void(const QString& message)>;

    explicit Ctarvik3Doc(QObject* parent = nullptr);
    ~Ctarvik3Doc() override;

    const jpcAnalyzer* getAnalyzer() const { return m_pAnalyzer.get(); }
    QString GetTitle() const { return m_strTitle; }
    QString GetPathName() const { return m_strPathName; }
    // A file of no bytes is open: there is nothing to analyse.
    bool holdsEmptyFile() const { return !m_strPathName.isEmpty() && !m_pAnalyzer; }
    // Why the last open failed, as it was reported.
    QString lastFailure() const { return m_strLastFailure; }
    void setFailureReporter(FailureReporter reporter) { m_report = std::move(reporter); }

    // Opens and analyses a file; false when it could not be opened (the document is unchanged) or
    // analysed (the document is then a new, untitled one). The path already open is not read again.
    bool OnOpenDocument(const QString& path);
    // An empty, untitled document.
    bool OnNewDocument();
    // Destroys the engine, which releases the file.
    void DeleteContents();

signals:
    // The engine is about to go: nothing may keep reading it.
    void contentsDeleted();
    // A document was opened or created: the view empties and refills itself.
    void documentChanged();

private:
    void setPath(const QString& path);
    void reportFailure(const QString& message);

    std::unique_ptr<jpcAnalyzer> m_pAnalyzer;
    QString m_strPathName;
    QString m_strTitle;
    QString m_strLastFailure;
    FailureReporter m_report;
};
