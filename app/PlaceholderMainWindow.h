#pragma once

#include <QMainWindow>

// Stands in for the main window: carries the configured application title.
class PlaceholderMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit PlaceholderMainWindow(QWidget* parent = nullptr);
};
