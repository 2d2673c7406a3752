#include "run/compileroutput.h"

#include <QTest>

class TestCompilerOutput : public QObject
{
    Q_OBJECT
private slots:
    void empty() { QVERIFY(CompilerOutput::parse(QString()).diagnostics.isEmpty()); }
};

QTEST_GUILESS_MAIN(TestCompilerOutput)
#include "tst_compileroutput.moc"
