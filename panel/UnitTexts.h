#pragma once

#include <QCoreApplication>
#include <QString>

#include <cmath>
#include <cstdint>

namespace tarvex::panel {

// The unit labels and names every wavelength and wavenumber field uses.
struct UnitTexts {
    QString wavenumberUnit = QCoreApplication::translate("MainWindow", "cm-1");
    QString wavelengthUnit = QCoreApplication::translate("MainWindow", "\u00b5m");
    QString wavelengthName = QCoreApplication::translate("MainWindow", "Wavelength");
    QString wavenumberName = QCoreApplication::translate("MainWindow", "Wavenumber");

    // Unit code 2 is the wavenumber, every other code the wavelength.
    const QString& Unit(std::uint8_t unit) const {
        return unit == 2 ? wavenumberUnit : wavelengthUnit;
    }
    const QString& Name(std::uint8_t unit) const {
        return unit == 2 ? wavenumberName : wavelengthName;
    }
    // The unit code a chooser showing `text` stands for.
    std::uint8_t UnitOf(const QString& text) const { return text == wavenumberUnit ? 2 : 1; }
};

// A wavenumber converted from a wavelength, on the half-cm-1 grid the fields step on: a fraction
// below 0.25 rounds down, from 0.25 to below 0.75 gives .5, from 0.75 up rounds up.
inline double RoundToHalf(double wavenumber) {
    return std::floor(wavenumber * 2.0 + 0.5) / 2.0;
}

} // namespace tarvex::panel
