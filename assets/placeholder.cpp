// Placeholder until the PCX and LightWave loaders land; delete then.
