package jvmtest;

public class Throws {
    public static void main(String[] args) {
        throw new IllegalStateException("boom from main");
    }
}
