#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// nightfold-sim, the one program that takes arguments:
//   demo                                   a typical evening on a fresh machine
//   init DIR [--os 10.2|10.3]              a new machine in DIR (DIR/machine.json)
//   pass DIR --at "YYYY-MM-DD HH:MM[:SS]" [--trace]
//   run  DIR --from T1 --to T2 [--trace]   one pass per minute over the interval
//   gui DIR, pictures FOLDER               the settings application (sim/gui; a build
//                                          without it answers these with status 2)
// A bad argument, an unreadable machine or a malformed time prints one line
// and gives status 2, changing nothing.
class SimCommandLine {
public:
    // shippedFolder: the build's NightfoldStartup (pictures, warning application).
    SimCommandLine(QTextStream& out, QTextStream& err, QString shippedFolder)
        : m_out(out), m_err(err), m_shippedFolder(std::move(shippedFolder))
    {
    }

    int run(const QStringList& arguments);

private:
    int demo();
    int init(const QStringList& arguments);
    int pass(const QStringList& arguments);
    int runInterval(const QStringList& arguments);
    int usageError(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
    QString m_shippedFolder;
};
