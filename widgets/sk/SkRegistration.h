#pragma once
// Makes the skinned controls known to the layout reader: TSkPanel, TSkButton
// and TSkStyleManager with their properties, the colour sets as
// sub-objects, and the names of their enumerations. Call once at start-up,
// after the host's own controls are registered and before the first layout
// is read. Idempotent.
void RegisterSkLayout();
