// Starts a cluster, prints its port and folder, and waits to be killed: tst_PgCluster kills it with SIGKILL to
// see that the server does not outlive its suite and that the next cluster sweeps the folder left behind.
#include "tests/support/PgCluster.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PgCluster cluster;
    std::printf("%d %s\n", cluster.port(), qPrintable(cluster.dataDir()));
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
