namespace hp::db {}
