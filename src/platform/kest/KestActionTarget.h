#pragma once

#include <QPoint>
#include <QString>
#include <QtGlobal>

// What a running action may do to films. Codes are the compositor's film
// property and method codes; every call acts at once (not through the queue).
class KestActionTarget {
public:
    // Outcome of revealing text within a time budget.
    struct TextProgress {
        bool done = true;     // every character is shown (and a final pause waited)
        qint64 usedMs = 0;    // time the revealed characters took
        qint64 nextInMs = 0;  // when not done: time until the next character shows
    };

    virtual ~KestActionTarget() = default;

    virtual bool ReadIntProp(qint32 film, qint32 prop, qint32& value) = 0;
    virtual bool WriteIntProp(qint32 film, qint32 prop, qint32 value) = 0;
    virtual bool ReadPointProp(qint32 film, qint32 prop, QPoint& value) = 0;
    virtual bool WritePointProp(qint32 film, qint32 prop, QPoint value) = 0;
    virtual bool RunFilmMethod(qint32 film, qint32 method, qint32 argument) = 0;
    virtual bool AdvanceCellRows(qint32 film, qint32 rows) = 0;
    // Shows the characters of the film's page that fit into `budgetMs`, each costing the
    // film's text speed (and any pause before it) times `scale` / 1000.
    virtual TextProgress RevealText(qint32 film, qint64 budgetMs, qint32 scale) = 0;
    // One log line about a damaged or runaway token list.
    virtual void ReportAction(const QString& line) = 0;
};
