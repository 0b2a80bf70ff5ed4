#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>

// What the program entry creates, in this order, once the application object exists.
struct AppParts {
    // The data module; its creation checks Movedata.cfg and raises Exception on a failure.
    std::function<std::unique_ptr<QObject>()> createDataModule;
    // The main window; its creation sets the application title from the configuration.
    std::function<std::unique_ptr<QWidget>()> createMainWindow;
};

// The parts of NodeShift itself.
AppParts NodeShiftParts();
