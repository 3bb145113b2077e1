"""Wine's own programs driven like a person under the engine (scripts/real-programs)."""
