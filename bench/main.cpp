// renamer-bench: runs the registered stages over generated data and prints one figure a line.
#include <algorithm>
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include "background/processheap.h"
#include "benchstage.h"

int main(int argc, char* argv[])
{
    background::shareOneHeap(); // as the program does, so that the window's figures are the program's
    bench::Options options;
    QStringList only;
    bool million = false;
    bool runsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--million"))
            million = true;
        else if (arg == QLatin1String("--files") && i + 1 < argc)
            options.files = QString::fromLocal8Bit(argv[++i]).toInt();
        else if (arg == QLatin1String("--runs") && i + 1 < argc) {
            options.runs = QString::fromLocal8Bit(argv[++i]).toInt();
            runsGiven = true;
        } else if (arg == QLatin1String("--stage") && i + 1 < argc)
            only << QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--help")) {
            std::printf("usage: renamer-bench [--files N] [--runs N] [--stage NAME]... [--million]\n"
                        "  --million: the window's stages (refresh, keystroke, keystroke_conflicts) over\n"
                        "             1,000,000 files, 5 runs each unless --runs or --stage say otherwise\n");
            return 0;
        }
    }
    if (million) {
        options.files = 1000000;
        if (!runsGiven)
            options.runs = 5;
        if (only.isEmpty())
            only << QStringLiteral("refresh") << QStringLiteral("keystroke") << QStringLiteral("keystroke_conflicts");
    }
    if (options.files < 1 || options.runs < 1) {
        std::fprintf(stderr, "--files and --runs need a positive number\n");
        return 2;
    }

    auto& all = bench::stages();
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.order < b.order; });

    // Widgets stages need a QApplication; the offscreen platform keeps the benchmark headless.
    const bool needsGui = std::any_of(all.begin(), all.end(),
        [&](const bench::Stage& s) { return s.needsGui && (only.isEmpty() || only.contains(s.name)); });
    if (needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (needsGui)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    for (const bench::Stage& stage : all) {
        if (!only.isEmpty() && !only.contains(stage.name))
            continue;
        stage.run(options);
    }
    return 0;
}
