// Placeholder until the pictures are drawn.
