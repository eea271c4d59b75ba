#include "audio/GainTable.h"

void BuildGainTable(double (&table)[kGainTableSize])
{
    double gain = 0.0;
    for (double& entry : table) {
        entry = gain;
        gain += 0.1;
    }
}
