#pragma once

#include "common/Exception.h"

#include <QString>
#include <exception>
#include <utility>

// The application-wide error display: error box captioned with ApplicationTitle(); a full stop
// is appended when the last character sorts after ".".
void ShowApplicationError(const QString& message);

// Every event handler and slot body of ours runs through this, so that no exception crosses
// Qt's event loop: EAbort is ignored, any other exception goes to ShowApplicationError.
template <class F> void Guarded(F&& body)
{
    try {
        std::forward<F>(body)();
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowApplicationError(e.message());
    } catch (const std::exception& e) {
        ShowApplicationError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowApplicationError(QStringLiteral("Unknown exception"));
    }
}
