package jvmtest;

public class InstanceMain {
    public void main(String[] args) {
    }
}
