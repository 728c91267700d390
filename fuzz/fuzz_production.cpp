// Production logs and job files read back: any content is refused with a reason or read; a job
// read saves back to the same job.
#include "production/productionjob.h"
#include "production/productionrecord.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const production::SerialNumber assumed{0, 4, production::SerialForm::Decimal, 1};
    production::LogContent log;
    QString why;
    if (!production::readLog(content, &assumed, &log, &why)) {
        if (why.isEmpty())
            std::abort();  // a refusal always says why
    } else {
        if (log.lastSequence < 0)
            std::abort();
        for (const production::ValueRange &r : log.used.ranges(assumed)) {
            if (r.first > r.last || r.last > production::largestSerial(assumed))
                std::abort();
        }
    }

    ProductionPlan job;
    why.clear();
    if (!productionjob::fromJson(content, &job, &why)) {
        if (why.isEmpty())
            std::abort();
        return 0;
    }
    ProductionPlan again;
    if (!productionjob::fromJson(productionjob::toJson(job), &again, &why) ||
        productionjob::toJson(again) != productionjob::toJson(job))
        std::abort();
    return 0;
}
