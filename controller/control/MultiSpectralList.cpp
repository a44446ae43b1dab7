#include "control/MultiSpectralList.h"

namespace tarvex::control {

Refusal MultiSpectralList::Announce(std::uint8_t count) {
    if (count > kMaxElements)
        return Refusal::TooManyElements;
    elements_.clear();
    announced_ = count;
    return Refusal::None;
}

Refusal MultiSpectralList::Add(Preconditions& checks, float ww, std::uint8_t unit,
                               std::uint32_t dwellTime, std::uint32_t offTime) {
    if (const Refusal refusal = checks.InTuningRange(ww, unit); refusal != Refusal::None)
        return refusal;
    unit_ = unit;
    if (elements_.size() >= announced_)
        return Refusal::ListFull;
    elements_.push_back({{ww, dwellTime, offTime}, unit});
    return Refusal::None;
}

Refusal MultiSpectralList::Complete() const {
    return elements_.size() == announced_ ? Refusal::None : Refusal::ListIncomplete;
}

std::vector<MultiSpectralElement> MultiSpectralList::Elements() const {
    std::vector<MultiSpectralElement> elements;
    elements.reserve(elements_.size());
    for (const Entry& entry : elements_) {
        MultiSpectralElement element = entry.element;
        if (entry.unit != unit_)
            element.scan_ww = units::Convert(element.scan_ww);
        elements.push_back(element);
    }
    return elements;
}

} // namespace tarvex::control
