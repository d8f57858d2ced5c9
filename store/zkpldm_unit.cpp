#include "store/zkpldm_unit.h"

Tzkpldm* zkpldm = nullptr;

Tzkpldm::Tzkpldm() = default;
Tzkpldm::~Tzkpldm() = default;

void Tzkpldm::DataModuleCreate() {
    changed = 1;
}
