#include "components/regionsource.h"

#include "model/landrecord.h"

namespace rida::components {

namespace {

class SampleRegions final : public RegionSource {
public:
    QList<RegionChoice> towns() override { return {{QString(), model::sampleTown()}}; }
    QList<RegionChoice> villages(const RegionChoice&) override { return {{QString(), model::sampleVillage()}}; }
};

} // namespace

std::shared_ptr<RegionSource> sampleRegions()
{
    static const auto sample = std::make_shared<SampleRegions>();
    return sample;
}

} // namespace rida::components
