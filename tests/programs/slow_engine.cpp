// Test program: slow_encoder.cpp as the engine (its version resource names
// the product "Marobex Engine"), with an "Abort" button.
#define SLOW_ENGINE 1
#include "slow_encoder.cpp"
