// Placeholder until the driver lands; delete then.
