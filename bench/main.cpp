// Speed checks that are not tests: conversion against the decoders alone, the file list at
// scale, and the progress bar's repaint.
#include "bench/Bench.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* only = argc > 1 ? argv[1] : nullptr;
    zent::test::TempDir work;
    if (!only || std::strcmp(only, "convert") == 0)
        zent::bench::RunConversionBench(work.Path());
    if (!only || std::strcmp(only, "filelist") == 0)
        zent::bench::RunFileListBench(work.Path());
    if (!only || std::strcmp(only, "paint") == 0)
        zent::bench::RunPaintBench();
    if (!only || std::strcmp(only, "window") == 0)
        zent::bench::RunWindowBench(work.Path());
    return 0;
}
